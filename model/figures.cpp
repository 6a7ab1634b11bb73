#include "figures.h"

#include "angular.h"
#include "numeric.h"
#include "units.h"

#include <cassert>
#include <cmath>

namespace varmet {

namespace {

const PixelPoint Centre {BoardCenter, BoardCenter};

// The rounded offset of `length` px along a screen angle.
PixelPoint offset(const PixelPoint &from, const ScreenVector &screen, long double length)
{
    return {from.x + RoundToInt64(screen.cos * length), from.y + RoundToInt64(screen.sin * length)};
}

// The meeting point M: where the target will be when the torpedo arrives.
PixelPoint meetingPoint(const TargetSlot &slot, const PixelPoint &plotted)
{
    return offset(plotted, ScreenAngle(slot.TargetCourse), slot.TargetRunPx);
}

// The direction of the wake, back along the target's course.
ScreenVector astern(const TargetSlot &slot)
{
    return ScreenAngle(slot.TargetCourse - 180);
}

} // namespace

void StrokeList::add(const Stroke &stroke)
{
    assert(m_size < Capacity);
    m_strokes[m_size++] = stroke;
}

bool operator==(const StrokeList &a, const StrokeList &b)
{
    if (a.m_size != b.m_size)
        return false;
    for (std::size_t i = 0; i < a.m_size; ++i) {
        if (!(a.m_strokes[i] == b.m_strokes[i]))
            return false;
    }
    return true;
}

PixelPoint PlottedPosition(const TargetSlot &slot)
{
    return {RoundToInt64(slot.PosX), RoundToInt64(slot.PosY)};
}

StrokeList TrackAndWake(const TargetSlot &slot)
{
    StrokeList strokes;
    const PixelPoint start = PlottedPosition(slot);
    const PixelPoint meeting = meetingPoint(slot, start);
    strokes.add({start, meeting, 1});
    if (slot.TargetSpeed > 0) // the wake runs from the meeting point back along the course
        strokes.add({meeting, offset(meeting, astern(slot), slot.WakeLengthPx), 3});
    return strokes;
}

StrokeList MedianLine(const TargetSlot &slot, std::int32_t maxRun)
{
    StrokeList strokes;
    if (slot.HasSolution && IsDrawable(slot.Omega, slot.TorpedoPathPx, maxRun))
        strokes.add(
            {Centre, offset(Centre, ScreenAngle(slot.SalvoMedianRaw), slot.TorpedoPathPx), 1});
    return strokes;
}

StrokeList TorpedoPair(const TargetSlot &slot, std::int32_t maxRun)
{
    StrokeList strokes;
    if (!slot.HasSolution)
        return strokes;

    const PixelPoint meeting = meetingPoint(slot, PlottedPosition(slot));
    // Both torpedoes share the wake's direction and that of the leg after the second turn.
    const ScreenVector wakeDirection = astern(slot);
    const ScreenVector turnDirection = ScreenAngle(slot.TargetCourse + slot.ThetaSet);
    struct Torpedo
    {
        long double wakeShare;
        long double course;
        long double wakePath;
        long double turnPath;
        double omega;
    };
    const Torpedo torpedoes[] = {
        {slot.WakeLengthPx / 4, slot.SalvoMedian1, slot.WakePath1Px, slot.TurnPath1Px, slot.Omega1},
        {(slot.WakeLengthPx * 3) / 4, slot.SalvoMedian2, slot.WakePath2Px, slot.TurnPath2Px,
            slot.Omega2},
    };
    for (const Torpedo &torpedo : torpedoes) {
        const PixelPoint wake = offset(meeting, wakeDirection, torpedo.wakeShare);
        if (slot.HasSecondTurn()) {
            if (IsDrawable(torpedo.omega, torpedo.turnPath, maxRun)) {
                // First leg to the turn point, last leg from there into the wake.
                const PixelPoint turn = offset(wake, turnDirection, slot.DeltaEtPx);
                strokes.add({Centre, turn, 1});
                strokes.add({turn, wake, 1});
            }
        } else if (IsDrawable(torpedo.omega, torpedo.wakePath, maxRun)) {
            const PixelPoint courseEnd
                = offset(Centre, ScreenAngle(torpedo.course), torpedo.wakePath);
            strokes.add({Centre, courseEnd, 1});
            strokes.add({courseEnd, wake, 1});
        }
    }
    return strokes;
}

StrokeList OwnShipVector(std::int32_t ownCourse, WholeVector ownVelocity)
{
    StrokeList strokes;
    const PixelPoint tip {Centre.x + 2 * ownVelocity.x, Centre.y + 2 * ownVelocity.y};
    strokes.add({Centre, tip, 2});
    // The barbs take K + 135 and K + 45 as screen angles directly: they point backward, 45
    // degrees to either side of the reverse course, along one of the eight principal directions.
    for (const int turn : {135, 45}) {
        const long double screenAngle = DegreesToRadians(ownCourse + turn);
        const PixelPoint barbEnd {tip.x + 5 * RoundToInt64(std::cos(screenAngle)),
            tip.y + 5 * RoundToInt64(std::sin(screenAngle))};
        strokes.add({tip, barbEnd, 2});
    }
    return strokes;
}

} // namespace varmet
