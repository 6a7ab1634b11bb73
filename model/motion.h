#pragma once

// Relative motion and dead reckoning of one target on the board.

#include "state.h"

#include <cstdint>

namespace varmet {

struct WholeVector
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const WholeVector &, const WholeVector &) = default;
};

// Own velocity in whole knots along x and y for a course (degrees) and speed (knots).
WholeVector OwnVelocity(std::int32_t course, std::int32_t speed);

// TargetVelX/Y from TargetCourse and TargetSpeed, rounded to whole knots.
void UpdateTargetVelocity(TargetSlot &slot);

// RelVelX/Y, RelSpeed and, unless the relative speed is 0, RelCourse.
void UpdateRelativeMotion(TargetSlot &slot, WholeVector ownVelocity);

// One second of relative motion: the position advances by RelSpeed / 180 px along RelCourse.
void AdvancePosition(TargetSlot &slot);

// DistancePx and, unless the distance is 0, AcousticBearing.
void UpdateRangeAndBearing(TargetSlot &slot);

// Puts the target at FixBearing and FixDistance cables from the board centre, each offset
// rounded to a whole pixel (the operator's fix).
void PlaceAtFix(TargetSlot &slot);

} // namespace varmet
