#pragma once

// Bearing analysis of one target: how well a course and speed fit the operator's fixes, the rate
// of change of the computed bearing, and the bearings-only solution with its uncertainty.
//
// Positions are cables east and north in own ship's true-track frame (OwnShipTrack), ticks are
// seconds, bearings and courses degrees clockwise from north, speeds knots. Nothing here returns
// NaN or infinity: where a quantity does not exist the answer is absent or a failure.

#include "model/fix_log.h"
#include "model/own_track.h"
#include "model/state.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace varmet {

// A target on a straight course at a steady speed, known by where it stands at one tick.
struct TargetMotion
{
    SeaPoint At; // cables, own-track frame
    std::int32_t AtTick = 0;
    long double Course = 0; // degrees clockwise from north
    long double Speed = 0; // knots

    // Where the target stands at `tick` (before or after AtTick alike).
    SeaPoint PositionAt(long double tick) const;
};

// The trial solution as the board has it now: the target where the board plots it (own ship's
// true position now plus the board offset, 2 px a cable), moving on "Кц" and "Vц (узл)".
TargetMotion TrialMotion(const TargetSlot &slot, const OwnShipTrack &own, std::int32_t nowTick);

// Bearing (0 <= b < 360) and distance (cables) from own ship to the target at `tick`.
long double PredictedBearing(const TargetMotion &target, const OwnShipTrack &own, long double tick);
long double PredictedDistance(
    const TargetMotion &target, const OwnShipTrack &own, long double tick);

// A bearing difference folded into -180 < d <= 180.
long double FoldBearing(long double degrees);

// Fix minus prediction at the fix's tick: degrees folded into -180..180 for a bearing, cables for a
// distance. Absent when the prediction does not exist (a bearing with the target at own ship).
std::optional<long double> Residual(
    const Fix &fix, const TargetMotion &target, const OwnShipTrack &own);

// The light over the trial solution's bearing residuals: green up to 1 degree RMS, amber up to 3,
// red above.
enum class FitLight { Green, Amber, Red };
FitLight LightOf(long double rmsDegrees);

struct ResidualSummary
{
    long double Rms = 0; // degrees
    long double Largest = 0; // degrees, the largest magnitude, with its sign
    FitLight Light = FitLight::Green;
    std::size_t Count = 0; // bearing fixes summarised
};

// Over the bearing fixes since "Новый галс" (the trial solution describes the target's present
// leg); absent without one.
std::optional<ResidualSummary> SummariseBearingResiduals(
    const FixLog &log, const TargetMotion &target, const OwnShipTrack &own);

// The rate of change of the computed bearing, degrees per minute, positive when the bearing grows
// (clockwise), from the slot's board position and the relative motion the tick moves it by
// (RelSpeed along RelCourse, a knot being 1/180 px a second). Absent when the target stands at own
// ship.
std::optional<long double> BearingRateDegreesPerMinute(const TargetSlot &slot);

// The fixes the fit uses: those since the "Новый галс" mark, all of them without one.
bool FitUses(const FixLog &log, const Fix &fix);

struct FitSettings
{
    long double SigmaBearingDegrees = 1;
    long double SigmaDistanceCables = 5;
};

struct FitSolution
{
    TargetMotion Motion; // at nowTick; Motion.Course and Motion.Speed equal Course and Speed
    // The target now (at nowTick), seen from own ship's true position then.
    long double Course = 0; // degrees, 0 <= c < 360
    long double Speed = 0; // knots
    long double Distance = 0; // cables
    long double Bearing = 0; // degrees, 0 <= b < 360
    // Standard deviations from the inverse of JᵀWJ at the optimum.
    long double SdCourse = 0; // degrees (180 where the speed is too small to give a course)
    long double SdSpeed = 0;
    long double SdDistance = 0;
    long double SdBearing = 0;
    long double Misfit = 0; // cost / (N - 4); the cost itself at N = 4
    std::size_t Used = 0; // fixes used
    bool ManoeuvreSuspected = false; // misfit above 9: the target has probably manoeuvred
};

enum class FitFailure {
    TooFewFixes, // no fix at all, or under 4 bearing fixes and no distance fix, or under 4 fixes
    OwnShipNotManoeuvred, // bearings only, and own ship held one course and speed over them
    DistanceUncertain, // the distance's standard deviation exceeds 30 % of the distance
    Singular, // JᵀWJ singular or ill-conditioned at the optimum
    InvalidSettings, // a standard deviation not above zero
    // No straight course fits (misfit above 9) and the best one cannot be backed either: the
    // target has probably manoeuvred within the fixes used ("Новый галс").
    TargetManoeuvred,
};

using FitResult = std::variant<FitSolution, FitFailure>;

// The maximum-likelihood straight-line motion over the fixes since "Новый галс": minimises the sum
// of squared folded bearing residuals / σ_b² plus squared distance residuals / σ_d² over the
// target's position and velocity, by Levenberg–Marquardt started from `trial` and from distances
// of 5 to 300 cables along the latest bearing, keeping the best. The answer is checked in this
// order: settings, number of fixes, own ship's manoeuvre (only without a distance fix), then the
// optimum's JᵀWJ and the distance's standard deviation; where either of the last two fails with a
// misfit above 9, the answer is TargetManoeuvred.
FitResult Fit(const FixLog &log, const OwnShipTrack &own, const TargetMotion &trial,
    std::int32_t nowTick, const FitSettings &settings = {});

} // namespace varmet
