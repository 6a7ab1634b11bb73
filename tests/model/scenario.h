#pragma once

// A target set up as the tick leaves it, and the model's steps of one slot's turn run on it.

#include "model/angular.h"
#include "model/linear.h"
#include "model/motion.h"
#include "model/numeric.h"
#include "model/state.h"
#include "model/units.h"

#include <cstdint>

namespace varmet::test {

// Distances are board px and the metre inputs as the fields show them.
struct Scenario
{
    long double posX = 0, posY = 0, targetCourse = 0, targetSpeed = 0, correctionDegrees = 0;
    long double wakeMetres = 0, thetaSet = 0;
    std::int32_t deltaEtMetres = 0, ownCourse = 0, torpedoSpeed = 45;
};

struct BoardPoint
{
    long double x = 0, y = 0;
};

// The point `distancePx` from (x0, y0) in a navigation direction, unrounded.
inline BoardPoint PointAt(
    long double x0, long double y0, long double direction, long double distancePx)
{
    const ScreenVector v = ScreenAngle(direction);
    return {x0 + distancePx * v.cos, y0 + distancePx * v.sin};
}

// A target `distancePx` out at `bearing` on `course` at `speed` knots.
inline Scenario Target(
    long double bearing, long double distancePx, long double course = 0, long double speed = 0)
{
    const BoardPoint p = PointAt(BoardCenter, BoardCenter, bearing, distancePx);
    return {.posX = p.x, .posY = p.y, .targetCourse = course, .targetSpeed = speed};
}

// The worked geometry: a target 50 cables to starboard on course 0 at 10 knots, torpedo 45 knots.
inline const Scenario Crossing = Target(90, 100, 0, 10);

// `slot` after range and bearing, lead angle, angular and linear solution for the scenario.
inline TargetSlot Solve(const Scenario &s, TargetSlot slot = {})
{
    slot.PosX = s.posX;
    slot.PosY = s.posY;
    slot.TargetCourse = s.targetCourse;
    slot.TargetSpeed = s.targetSpeed;
    slot.LeadCorrection = s.correctionDegrees * Pi / 180;
    slot.WakeLengthPx = InputMetresToPx(s.wakeMetres);
    slot.ThetaSet = s.thetaSet;
    slot.DeltaEtPx = InputMetresToPx(s.deltaEtMetres);
    UpdateRangeAndBearing(slot);
    ComputeLeadAngle(slot, s.torpedoSpeed);
    ComputeAngularSolution(slot, s.ownCourse, s.torpedoSpeed);
    ComputeTorpedoPair(slot, s.ownCourse, s.deltaEtMetres);
    return slot;
}

// The whole numbers the display fields show.
inline std::int64_t Shown(long double value)
{
    return RoundToInt64(value);
}
inline std::int64_t ShownMetres(long double px)
{
    return RoundToInt64(PathMetres(px));
}

} // namespace varmet::test
