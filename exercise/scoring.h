#pragma once

// Scoring a trainee's solution against the truth: the slot's trial course, speed and distance
// against the target's, and the salvo fired now, each torpedo run against the target as it
// really moves.

#include "exercise_file.h"
#include "truth.h"

#include "model/state.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace varmet {

// One straight stretch of a torpedo's run.
struct TorpedoLeg
{
    long double Course = 0; // degrees
    long double Length = 0; // cables
};

// Where a torpedo went past its target.
struct TorpedoOutcome
{
    long double MissMetres = 0; // closest approach
    bool Hit = false; // within half the target's length
    friend bool operator==(const TorpedoOutcome &, const TorpedoOutcome &) = default;
};

// The closest approach (cables) of a torpedo fired at `fireTime` from `from` at `speed` knots
// along `legs` (it stops at their end) to the target's true track.
long double ClosestApproach(const TargetTruth &truth, long double fireTime, SeaPoint from,
    const std::vector<TorpedoLeg> &legs, long double speed);

// The legs of the slot's torpedoes: along the salvo median up to the maximum run; the linear
// solution's torpedo 1 or 2 straight into the wake, or to the second-turn point and then on the
// last leg's course. Nothing while the slot has no solution or the torpedo no speed.
std::optional<std::vector<TorpedoLeg>> MedianTorpedo(const TargetSlot &slot, std::int32_t maxRun);
std::optional<std::vector<TorpedoLeg>> WakeTorpedo(
    const TargetSlot &slot, int torpedo, std::int32_t maxRun);

// The trainee's solution of one slot: course and speed as tried, distance to the plotted
// position (cables).
struct SlotSolution
{
    long double Course = 0;
    long double Speed = 0;
    long double Distance = 0;
};
SlotSolution SolutionOf(const TargetSlot &slot);

// The target's truth at a moment, seen from own ship.
struct TruthNow
{
    long double Bearing = 0; // degrees 0..360
    long double Distance = 0; // cables
    long double Course = 0;
    long double Speed = 0;
};
TruthNow TruthAt(const TargetTruth &truth, SeaPoint own, long double seconds);

struct TargetScore
{
    std::int32_t Target = 0;
    TruthNow Truth;
    std::optional<int> Slot; // the slot with the target's number, if any
    SlotSolution Solution; // meaningful with a slot
    long double CourseError = 0; // solution minus truth, degrees -180..180
    long double SpeedError = 0; // knots
    long double DistanceError = 0; // cables
    bool CourseWithin = false;
    bool SpeedWithin = false;
    bool DistanceWithin = false;
    std::optional<std::int32_t> Since; // within all three from this time on
    std::optional<TorpedoOutcome> Median; // the angular solution's torpedo
    std::array<std::optional<TorpedoOutcome>, 2> Wake; // the linear solution's, when shown

    bool Within() const { return Slot && CourseWithin && SpeedWithin && DistanceWithin; }
};

struct ExerciseScore
{
    std::int32_t Time = 0; // seconds since the start
    std::vector<TargetScore> Targets; // by target number
};

// The slot that tracks a target: the lowest-numbered slot whose "Номер цели" is its number.
std::optional<int> SlotTracking(const TargetSlots &targets, std::int32_t targetNumber);

// The score of one target at the state's present time, without the time since which it has
// been within tolerance (the running exercise keeps that).
TargetScore ScoreTarget(const ExerciseTarget &target, const ScoreTolerances &tolerances,
    const FireControlState &state, bool linearShown);

} // namespace varmet
