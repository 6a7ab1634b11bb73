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

struct Scenario
{
    long double posX = 0;
    long double posY = 0;
    long double targetCourse = 0;
    long double targetSpeed = 0;
    long double correctionDegrees = 0;
    long double wakeMetres = 0;
    long double thetaSet = 0;
    std::int32_t deltaEtMetres = 0; // as "Delta ет (м)" shows it
    std::int32_t ownCourse = 0;
    std::int32_t torpedoSpeed = 0;
};

// The slot after range and bearing, lead angle, angular and linear solution.
inline TargetSlot Solve(const Scenario &s)
{
    TargetSlot slot;
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
inline std::int64_t ShownFi(const TargetSlot &slot)
{
    return RoundToInt64(slot.LeadAngleCorr * DisplayRadiansToDegrees);
}

// The worked geometry: a target 50 cables to starboard on course 0 at 10 knots, torpedo 45 knots.
inline Scenario StarboardCrossing()
{
    Scenario s;
    s.posX = 425;
    s.posY = 325;
    s.targetCourse = 0;
    s.targetSpeed = 10;
    s.torpedoSpeed = 45;
    return s;
}

} // namespace varmet::test
