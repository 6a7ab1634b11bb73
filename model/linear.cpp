#include "linear.h"

#include "angles.h"
#include "angular.h"
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

void clear(TorpedoFields t)
{
    t.wakePath = t.turnPath = t.salvoMedian = 0;
    t.turnDx = t.turnDy = t.turnBearing = 0;
    t.omega = 0;
    t.leadAngle = 0;
    t.secondTurn = 0;
}

// What both torpedoes share: the angle at the meeting point between the median and the target's
// wake, and the directions of the target's course, its wake and the turn points.
struct PairGeometry
{
    long double meetingCos, meetingSin;
    // Kц and Theta are whole degrees, so these are exactly the screen angles Kц - 90, Kц - 270
    // and (Kц - 90) + Theta.
    ScreenVector course; // along the target's course
    ScreenVector wake; // back along the course
    ScreenVector turn; // from the wake point to the turn point

    explicit PairGeometry(const TargetSlot &slot)
        : course(ScreenAngle(slot.TargetCourse))
        , wake(ScreenAngle(slot.TargetCourse - 180))
        , turn(ScreenAngle(slot.TargetCourse + slot.ThetaSet))
    {
        // The meeting angle takes the lead angle without correction.
        const long double meetingAngle
            = Pi - (DegreesToRadians(UnfoldedHeadingAngle(slot)) + slot.LeadAngle);
        meetingCos = std::cos(meetingAngle);
        meetingSin = std::sin(meetingAngle);
    }
};

void solveTorpedo(const TargetSlot &slot, const PairGeometry &g, std::int32_t ownCourse,
    std::int32_t secondTurnPathShown, WakeShare wake, TorpedoFields t)
{
    const long double et = slot.TorpedoPathPx;
    const long double a = wake.share;

    // Law of cosines in the triangle own ship, meeting point, wake point.
    const long double squared = et * et + a * a - g.meetingCos * (wake.doubledShare * et);
    t.wakePath = std::sqrt(std::max(0.0L, squared));

    const long double wakeX = slot.PosX + g.course.cos * slot.TargetRunPx + g.wake.cos * a;
    const long double wakeY = slot.PosY + g.course.sin * slot.TargetRunPx + g.wake.sin * a;
    const long double turnX = wakeX + g.turn.cos * slot.DeltaEtPx;
    const long double turnY = wakeY + g.turn.sin * slot.DeltaEtPx;
    t.turnDx = turnX - BoardCenter;
    t.turnDy = turnY - BoardCenter;
    t.turnPath = std::sqrt(t.turnDy * t.turnDy + t.turnDx * t.turnDx);

    // Law of sines: the angle at own ship between the meeting point and the wake point. A zero
    // path keeps the previous course, and a zero turn path the previous bearing.
    if (t.wakePath > 0) {
        t.salvoMedian
            = slot.SalvoMedianRaw - ArcSin(g.meetingSin * a / t.wakePath) * DisplayRadiansToDegrees;
    }
    if (t.turnPath != 0)
        t.turnBearing = VectorDirection(t.turnDx, t.turnDy);

    // Without a second turn the torpedo runs its straight course; with one it first heads for
    // its turn point.
    const long double heading = slot.HasSecondTurn() ? t.turnBearing : t.salvoMedian;
    t.omega = static_cast<double>(ReduceOmega(heading - ownCourse));
    t.leadAngle
        = ReduceTurn(static_cast<long double>(t.omega) - (slot.AcousticBearing - ownCourse));

    if (secondTurnPathShown == 0) {
        t.secondTurn = 0;
    } else {
        // From the first leg onto the last, which runs on Kц + Theta + 180.
        t.secondTurn = static_cast<double>(
            ReduceSecondTurn((slot.TargetCourse + slot.ThetaSet + 180) - t.turnBearing));
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
    const PairGeometry geometry(slot);
    solveTorpedo(slot, geometry, ownCourse, secondTurnPathShown, {wake / 4, (wake * 2) / 4}, first);
    solveTorpedo(slot, geometry, ownCourse, secondTurnPathShown,
        {(wake * 3) / 4, ((wake * 2) * 3) / 4}, second);
}

} // namespace varmet
