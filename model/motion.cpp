#include "motion.h"

#include "angles.h"
#include "numeric.h"
#include "units.h"

#include <cmath>

namespace varmet {

namespace {

// cos and sin of the screen angle of a navigation direction.
long double screenCos(long double direction)
{
    return CosDegrees(direction - 90);
}
long double screenSin(long double direction)
{
    return SinDegrees(direction - 90);
}

} // namespace

WholeVector OwnVelocity(std::int32_t course, std::int32_t speed)
{
    return {RoundToInt32(speed * screenCos(course)), RoundToInt32(speed * screenSin(course))};
}

void UpdateTargetVelocity(TargetSlot &slot)
{
    slot.TargetVelX = RoundHalfEven(screenCos(slot.TargetCourse) * slot.TargetSpeed);
    slot.TargetVelY = RoundHalfEven(screenSin(slot.TargetCourse) * slot.TargetSpeed);
}

void UpdateRelativeMotion(TargetSlot &slot, WholeVector ownVelocity)
{
    slot.RelVelX = slot.TargetVelX - ownVelocity.x;
    slot.RelVelY = slot.TargetVelY - ownVelocity.y;
    slot.RelSpeed
        = RoundHalfEven(std::sqrt(slot.RelVelX * slot.RelVelX + slot.RelVelY * slot.RelVelY));
    // Whole-knot components: the speed is 0 only for the zero vector, whose course is kept.
    if (slot.RelSpeed != 0)
        slot.RelCourse = VectorDirection(slot.RelVelX, slot.RelVelY);
}

void AdvancePosition(TargetSlot &slot)
{
    slot.PosX
        = Checked(slot.PosX + screenCos(slot.RelCourse) * slot.RelSpeed / SecondsPerPxAtOneKnot,
            "счисление места цели");
    slot.PosY
        = Checked(slot.PosY + screenSin(slot.RelCourse) * slot.RelSpeed / SecondsPerPxAtOneKnot,
            "счисление места цели");
}

void UpdateRangeAndBearing(TargetSlot &slot)
{
    const long double dx = slot.PosX - BoardCenter;
    const long double dy = slot.PosY - BoardCenter;
    slot.DistancePx = Checked(std::sqrt(dx * dx + dy * dy), "дистанция до цели");
    if (slot.DistancePx != 0)
        slot.AcousticBearing = VectorDirection(dx, dy);
}

void PlaceAtFix(TargetSlot &slot)
{
    const long double distancePx = slot.FixDistance * PxPerCable;
    slot.PosX = BoardCenter + RoundHalfEven(distancePx * screenCos(slot.FixBearing));
    slot.PosY = BoardCenter + RoundHalfEven(distancePx * screenSin(slot.FixBearing));
}

} // namespace varmet
