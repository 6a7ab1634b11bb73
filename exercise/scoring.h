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
    friend bool operator==(const TorpedoLeg &, const TorpedoLeg &) = default;
};

// A torpedo's run: fired at `FireTime` (seconds since the start) from `From` at `Speed` knots along
// `Legs`; it stops at their end.
struct TorpedoRun
{
    long double FireTime = 0;
    SeaPoint From;
    std::vector<TorpedoLeg> Legs;
    long double Speed = 0;

    SeaPoint PositionAfter(long double seconds) const;
    long double Duration() const; // seconds to the end of the last leg
};

// Where a torpedo went past its target.
struct TorpedoOutcome
{
    long double MissMetres = 0; // closest approach
    bool Hit = false; // within half the target's length
    TorpedoRun Run;
    long double ClosestAfter = 0; // seconds after firing
    bool RanOut() const { return ClosestAfter >= Run.Duration() && Run.Duration() > 0; }
    friend bool operator==(const TorpedoOutcome &a, const TorpedoOutcome &b)
    {
        return a.MissMetres == b.MissMetres && a.Hit == b.Hit;
    }
};

// The closest approach of a run to the target's true track: the distance (cables) and how long
// after firing.
struct Approach
{
    long double Distance = 0;
    long double After = 0;
};
Approach ClosestApproachOf(const TargetTruth &truth, const TorpedoRun &run);
// The distance alone.
long double ClosestApproach(const TargetTruth &truth, long double fireTime, SeaPoint from,
    const std::vector<TorpedoLeg> &legs, long double speed);

// The slot's firing problem solved afresh from what the slot holds now (position, "Кц", "Vц",
// the lead correction, wake and second turn), as a tick solves it. Between ticks the operator's
// entries move the target or change its course before the tick solves again; scoring the salvo
// of this solution keeps the errors and the salvo of one moment.
TargetSlot SolvedNow(const TargetSlot &slot, std::int32_t ownCourse, std::int32_t torpedoSpeed);

// The legs of the slot's torpedoes: along the salvo median up to the maximum run; the linear
// solution's torpedo 1 or 2 straight into the wake, or to the second-turn point and then on the
// last leg's course. Nothing while the slot has no solution or the torpedo no speed.
std::optional<std::vector<TorpedoLeg>> MedianTorpedo(const TargetSlot &slot, std::int32_t maxRun);
std::optional<std::vector<TorpedoLeg>> WakeTorpedo(
    const TargetSlot &slot, int torpedo, std::int32_t maxRun);

// The trainee's solution of one slot: course and speed as tried, distance and bearing to the
// plotted position (cables, degrees).
struct SlotSolution
{
    long double Course = 0;
    long double Speed = 0;
    long double Distance = 0;
    long double Bearing = 0;
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

// The errors are judged as they are printed: course in whole degrees, bearing, speed and distance
// to a tenth, rounded half to even; the distance's tolerance in cables to a tenth too. So a printed
// error never contradicts its verdict.
inline constexpr int CourseDecimals = 0;
inline constexpr int BearingDecimals = 1;
inline constexpr int SpeedDecimals = 1;
inline constexpr int DistanceDecimals = 1;
long double AsPrinted(long double value, int decimals);

// Why the verdict "в допуске" and the salvo disagree, when they do.
struct MissReason
{
    enum class Kind {
        None, // they agree
        NoSalvo, // within tolerance, but the slot has no firing solution now
        RanOut, // the torpedo's run ends before it reaches the target
        Manoeuvre, // the target manoeuvres while the torpedo runs
        ErrorsAdd, // the errors, each within tolerance, still make it miss
        HitAnyway, // out of tolerance, yet this salvo hits
    };
    Kind What = Kind::None;
    long double ManoeuvreAfter = 0; // Manoeuvre: seconds after firing
    // ErrorsAdd: the element whose error alone costs the hit most ('c' course, 's' speed, 'p' the
    // plotted position), and the miss in metres with that one element true.
    char Worst = 0;
    long double MissWithWorstTrue = 0;
};

struct TargetScore
{
    std::int32_t Target = 0;
    TruthNow Truth;
    std::optional<int> Slot; // the slot with the target's number, if any
    SlotSolution Solution; // meaningful with a slot
    // Solution minus truth, as printed (see AsPrinted): degrees -180..180, knots, cables.
    long double CourseError = 0;
    long double SpeedError = 0;
    long double DistanceError = 0;
    long double BearingError = 0;
    long double DistanceTolerance = 0; // cables, as printed
    bool CourseWithin = false;
    bool SpeedWithin = false;
    bool DistanceWithin = false;
    std::optional<std::int32_t> Since; // within all three from this time on
    std::optional<TorpedoOutcome> Median; // the angular solution's torpedo
    std::array<std::optional<TorpedoOutcome>, 2> Wake; // the linear solution's, when shown
    MissReason Reason; // of the median torpedo against the verdict
    // The chance that a salvo fired now hits, where the analysis gives one.
    std::optional<long double> HitProbability;

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
