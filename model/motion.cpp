#include "motion.h"

#include "angles.h"
#include "numeric.h"
#include "units.h"

#include <cmath>

namespace varmet {

WholeVector OwnVelocity(std::int32_t course, std::int32_t speed)
{
    const ScreenVector screen = ScreenAngle(course);
    return {RoundToInt32(speed * screen.cos), RoundToInt32(speed * screen.sin)};
}

void UpdateTargetVelocity(TargetSlot &slot)
{
    const ScreenVector screen = ScreenAngle(slot.TargetCourse);
    slot.TargetVelX = RoundHalfEven(screen.cos * slot.TargetSpeed);
    slot.TargetVelY = RoundHalfEven(screen.sin * slot.TargetSpeed);
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
    const ScreenVector screen = ScreenAngle(slot.RelCourse);
    slot.PosX = Checked(
        slot.PosX + screen.cos * slot.RelSpeed / SecondsPerPxAtOneKnot, "счисление места цели");
    slot.PosY = Checked(
        slot.PosY + screen.sin * slot.RelSpeed / SecondsPerPxAtOneKnot, "счисление места цели");
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
    const ScreenVector screen = ScreenAngle(slot.FixBearing);
    slot.PosX = BoardCenter + RoundHalfEven(distancePx * screen.cos);
    slot.PosY = BoardCenter + RoundHalfEven(distancePx * screen.sin);
}

} // namespace varmet
