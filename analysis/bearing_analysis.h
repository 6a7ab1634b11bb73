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

#include <array>
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
// The same over residuals already computed, in log order.
std::optional<ResidualSummary> SummariseResiduals(const std::vector<long double> &bearingResiduals);

// The rate of change of the computed bearing, degrees per minute, positive when the bearing grows
// (clockwise), from the slot's board position and the relative motion the tick moves it by
// (RelSpeed along RelCourse, a knot being 1/180 px a second). Absent when the target stands at own
// ship.
std::optional<long double> BearingRateDegreesPerMinute(const TargetSlot &slot);

// The fixes the fit uses: those since the "Новый галс" mark (all of them without one), except the
// distances that are only estimates.
bool FitUses(const FixLog &log, const Fix &fix);

struct FitSettings
{
    long double SigmaBearingDegrees = 1;
    long double SigmaDistanceCables = 5;
    // The cumulative sum of the manoeuvre test: the drift it forgives a fix and the sum that
    // warns, both in σ (chosen on generated straight runs for about 1 % false warnings).
    long double CusumDrift = 0.5L;
    long double CusumLimit = 3;
    // The savings of the best two-leg fit and of the best turn that warn, in σ²: chosen
    // together on generated encounters for the fewest zigs missed while the four tests warn on
    // no more solves of straight runs than the three did before the turn test, over all of them
    // (1.3 %) and in each batch of 150 runs.
    long double TwoLegLimit = 15.5L;
    // How long before the latest fix the two-leg test looks for the change (seconds): a change
    // older than that has had its time to show.
    std::int32_t TwoLegWindow = 600;
    long double TurnLimit = 13.5L; // 0: the turn test is off
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
    bool ManoeuvreSuspected = false; // the manoeuvre test fires (ManoeuvreTest::Fires)
    // The covariance of (east, north of the target now in cables; its velocity east, north in
    // knots), row by row: what the fixes leave uncertain, for the odds of a hit.
    std::array<long double, 16> Covariance {};
};

// Whether the target kept one straight course over the fixes used, tested at the optimum with the
// standard deviations the operator set. Two tests, each with about 1 % false alarms on a straight
// run whose noise matches the σ set: the weighted residual sum against χ² with N - 4 degrees at
// 1 %, and a two-sided cumulative sum over the latest normalised residuals in time order, which
// sees a turn within a few reports, before the whole sum grows. Two more weigh one change of the
// target's motion within the last minutes against none: of its velocity, and of its course alone.
struct ManoeuvreTest
{
    static constexpr long double FalseAlarm = 0.01L; // of the χ² test

    long double SigmaBearing = 0; // degrees, as set for the test
    long double ChiSquare = 0; // the weighted residual sum
    std::size_t Freedom = 0; // N - 4; no χ² test at 0
    long double ChiSquareLimit = 0; // exceeded with probability FalseAlarm on a straight run
    long double Cusum = 0; // the larger of the two sums after the latest fix, σ
    long double CusumLimit = 0; // σ
    // The best split into two legs, by the turn fits unless two legs explain the fixes clearly
    // better: the tick of the first fix of the new leg (where "Новый галс" belongs), absent with
    // too few fixes to split.
    std::optional<std::int32_t> NewLegTick;
    // The generalised likelihood ratio of one change of course and speed between two fixes
    // against none: the most a two-leg fit lowers the weighted residual sum, over the splits with
    // two report times or more on either side and the new leg begun within
    // FitSettings::TwoLegWindow (σ²), and the limit it is held to; both 0 with too few fixes.
    long double TwoLegSaving = 0;
    long double TwoLegLimit = 0;
    // The same for a change of course alone at an unchanged speed (one parameter more than the
    // straight motion where two legs have two), over the same splits.
    long double TurnSaving = 0;
    long double TurnLimit = 0;

    bool ChiSquareFires() const { return Freedom > 0 && ChiSquare > ChiSquareLimit; }
    bool CusumFires() const { return Cusum > CusumLimit; }
    bool TwoLegFires() const { return TwoLegLimit > 0 && TwoLegSaving > TwoLegLimit; }
    bool TurnFires() const { return TurnLimit > 0 && TurnSaving > TurnLimit; }
    bool Fires() const { return ChiSquareFires() || CusumFires() || TwoLegFires() || TurnFires(); }
};

enum class FitFailure {
    TooFewFixes, // no fix at all, or under 4 bearing fixes and no distance fix, or under 4 fixes
    OwnShipNotManoeuvred, // bearings only, and own ship held one course and speed over them
    DistanceUncertain, // the distance's standard deviation exceeds 30 % of the distance
    Singular, // JᵀWJ singular or ill-conditioned at the optimum
    InvalidSettings, // a standard deviation not above zero
    // The manoeuvre test fires and the best straight course cannot be backed either: the target
    // has probably manoeuvred within the fixes used ("Новый галс").
    TargetManoeuvred,
};

using FitResult = std::variant<FitSolution, FitFailure>;

// The maximum-likelihood straight-line motion over the fixes since "Новый галс": minimises the sum
// of squared folded bearing residuals / σ_b² plus squared distance residuals / σ_d² over the
// target's position and velocity, by Levenberg–Marquardt started from `trial` and from distances
// of 5 to 300 cables along the latest bearing, keeping the best. The answer is checked in this
// order: settings, number of fixes, own ship's manoeuvre (only without a distance fix), then the
// optimum's JᵀWJ and the distance's standard deviation; where either of the last two fails and
// the manoeuvre test fires, the answer is TargetManoeuvred.
FitResult Fit(const FixLog &log, const OwnShipTrack &own, const TargetMotion &trial,
    std::int32_t nowTick, const FitSettings &settings = {});

// The fit with its manoeuvre test (absent when no optimum was reached: too few fixes, own ship on
// one leg under bearings alone, invalid settings).
struct FitAnalysis
{
    FitResult Result;
    std::optional<ManoeuvreTest> Manoeuvre;
    // The best straight motion found (at nowTick), even where it could not be backed.
    std::optional<TargetMotion> Optimum;
};
FitAnalysis Analyse(const FixLog &log, const OwnShipTrack &own, const TargetMotion &trial,
    std::int32_t nowTick, const FitSettings &settings = {});

// What one change of the target's velocity after `splitTick` saves of the weighted residual sum
// of the best straight motion over the fixes the fit uses (σ²): the likelihood ratio with the
// moment of the manoeuvre known. Absent with under 7 fixes used or no straight optimum.
std::optional<long double> TwoLegSavingAt(const FixLog &log, const OwnShipTrack &own,
    const TargetMotion &trial, long double splitTick, const FitSettings &settings = {});

// The same for a change of course alone, the speed kept: the turn's likelihood ratio.
std::optional<long double> TurnSavingAt(const FixLog &log, const OwnShipTrack &own,
    const TargetMotion &trial, long double splitTick, const FitSettings &settings = {});

// Whether own ship changed course or speed between the first and the last of the fixes the fit
// uses: without it bearings alone cannot give the distance.
bool OwnShipManoeuvredOverFixes(const FixLog &log, const OwnShipTrack &own);

} // namespace varmet
