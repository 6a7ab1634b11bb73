#include "linear.h"

#include "angles.h"
#include "units.h"

#include <algorithm>
#include <cmath>

namespace varmet {

namespace {

// The results of one torpedo, bound to its fields in the slot.
struct TorpedoFields
{
    long double &wakePath;
    long double &turnPath;
    long double &salvoMedian;
    long double &turnDx;
    long double &turnDy;
    long double &turnBearing;
    double &omega;
    long double &leadAngle;
    double &secondTurn;
};

// The torpedo's share of the wake: `share` px behind the meeting point; `doubledShare` is twice
// that, in the written form the path formula takes.
struct WakeShare
{
    long double share;
    long double doubledShare;
};

// ArcSin(x) as ArcTan2(x, sqrt(1 - x * x)); rounding may carry x a hair beyond -1..1.
long double arcSin(long double x)
{
    const long double clamped = std::clamp(x, -1.0L, 1.0L);
    return std::atan2(clamped, std::sqrt(std::max(0.0L, 1 - clamped * clamped)));
}

long double screenCos(long double screenDegrees)
{
    return std::cos(DegreesToRadians(screenDegrees));
}
long double screenSin(long double screenDegrees)
{
    return std::sin(DegreesToRadians(screenDegrees));
}

void clear(TorpedoFields t)
{
    t.wakePath = t.turnPath = t.salvoMedian = 0;
    t.turnDx = t.turnDy = t.turnBearing = 0;
    t.omega = 0;
    t.leadAngle = 0;
    t.secondTurn = 0;
}

void solveTorpedo(const TargetSlot &slot, std::int32_t ownCourse, std::int32_t secondTurnPathShown,
    WakeShare wake, TorpedoFields t)
{
    const long double qr = DegreesToRadians((slot.AcousticBearing - 180) - slot.TargetCourse);
    const long double et = slot.TorpedoPathPx;
    const long double a = wake.share;
    // The angle at the meeting point between the torpedo's median and the target's wake; it
    // takes the lead angle without correction.
    const long double meetingAngle = Pi - (qr + slot.LeadAngle);

    // Law of cosines in the triangle own ship, meeting point, wake point.
    const long double squared = et * et + a * a - std::cos(meetingAngle) * (wake.doubledShare * et);
    t.wakePath = std::sqrt(std::max(0.0L, squared));

    const long double kc = slot.TargetCourse;
    const long double wakeX
        = slot.PosX + screenCos(kc - 90) * slot.TargetRunPx + screenCos(kc - 270) * a;
    const long double wakeY
        = slot.PosY + screenSin(kc - 90) * slot.TargetRunPx + screenSin(kc - 270) * a;
    const long double turnX = wakeX + screenCos((kc - 90) + slot.ThetaSet) * slot.DeltaEtPx;
    const long double turnY = wakeY + screenSin((kc - 90) + slot.ThetaSet) * slot.DeltaEtPx;
    t.turnDx = turnX - BoardCenter;
    t.turnDy = turnY - BoardCenter;
    t.turnPath = std::sqrt(t.turnDy * t.turnDy + t.turnDx * t.turnDx);

    // Law of sines: the angle at own ship between the meeting point and the wake point. A zero
    // path keeps the previous course, and a zero turn path the previous bearing.
    if (t.wakePath > 0) {
        t.salvoMedian = slot.SalvoMedianRaw
            - arcSin(std::sin(meetingAngle) * a / t.wakePath) * DisplayRadiansToDegrees;
    }
    if (t.turnPath != 0)
        t.turnBearing = VectorDirection(t.turnDx, t.turnDy);

    // Without a second turn the torpedo runs its straight course; with one it first heads for
    // its turn point.
    const long double heading = slot.DeltaEtPx == 0 ? t.salvoMedian : t.turnBearing;
    t.omega = static_cast<double>(ReduceOmega(heading - ownCourse));
    t.leadAngle
        = ReduceTurn(static_cast<long double>(t.omega) - (slot.AcousticBearing - ownCourse));

    if (secondTurnPathShown == 0) {
        t.secondTurn = 0;
    } else {
        // The last leg runs on Kц + Theta + 180; a raw turn of 540 or more needs a second fold.
        long double turn = ReduceTurn((kc + slot.ThetaSet + 180) - t.turnBearing);
        if (turn >= 180)
            turn = ReduceTurn(turn);
        t.secondTurn = static_cast<double>(turn);
    }
}

} // namespace

void ComputeTorpedoPair(TargetSlot &slot, std::int32_t ownCourse, std::int32_t secondTurnPathShown)
{
    TorpedoFields first {slot.WakePath1Px, slot.TurnPath1Px, slot.SalvoMedian1, slot.TurnDx1,
        slot.TurnDy1, slot.TurnBearing1, slot.Omega1, slot.LeadAngle1, slot.SecondTurn1};
    TorpedoFields second {slot.WakePath2Px, slot.TurnPath2Px, slot.SalvoMedian2, slot.TurnDx2,
        slot.TurnDy2, slot.TurnBearing2, slot.Omega2, slot.LeadAngle2, slot.SecondTurn2};
    if (!slot.HasSolution) {
        clear(first);
        clear(second);
        return;
    }
    const long double wake = slot.WakeLengthPx;
    solveTorpedo(slot, ownCourse, secondTurnPathShown, {wake / 4, (wake * 2) / 4}, first);
    solveTorpedo(
        slot, ownCourse, secondTurnPathShown, {(wake * 3) / 4, ((wake * 2) * 3) / 4}, second);
}

} // namespace varmet
