#pragma once

// Where own ship should steer so that the bearings to come fix the target's distance: for each
// course every 10° at the present speed, the distance's standard deviation after a few minutes
// predicted from the Fisher information of the fixes used and of the bearings still to be taken
// along that course (about the target motion believed now); the course that leaves it smallest.

#include "bearing_analysis.h"

#include <cstdint>
#include <optional>

namespace varmet {

struct SteeringAdvice
{
    long double Course = 0; // own ship's course to steer, degrees, a multiple of 10
    long double SdDistance = 0; // cables, expected after `Minutes` on it
    // On the present course; absent where it leaves the distance undetermined.
    std::optional<long double> SdDistanceAhead;
    int Minutes = 0;
};

// The advice for the target believed to move on `believed` (the fit's optimum, or the trial
// solution where there is none), bearings taken every `reportEvery` seconds from now on with the
// σ set. Absent when own ship has no speed, `minutes` is not positive, or no course determines
// the distance.
std::optional<SteeringAdvice> AdviseCourse(const FixLog &log, const OwnShipTrack &own,
    const TargetMotion &believed, std::int32_t nowTick, const FitSettings &settings, int minutes,
    std::int32_t reportEvery);

// The interval of the operator's bearings: the mean spacing of the bearing fixes used, 30 s
// with fewer than two.
std::int32_t BearingInterval(const FixLog &log);

} // namespace varmet
