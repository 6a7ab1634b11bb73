#include "scoring.h"

#include "model/angular.h"
#include "model/linear.h"
#include "model/motion.h"
#include "model/units.h"

#include <algorithm>
#include <cmath>

namespace varmet {

namespace {

constexpr long double SecondsPerHour = 3600;
constexpr long double CablesPerMile = 10;

long double cablesPerSecond(long double knots)
{
    return knots * CablesPerMile / SecondsPerHour;
}

SeaPoint offset(SeaPoint from, long double course, long double cables)
{
    const long double c = DegreesToRadians(course);
    return {from.East + cables * std::sin(c), from.North + cables * std::cos(c)};
}

long double runLength(const std::vector<TorpedoLeg> &legs)
{
    long double length = 0;
    for (const TorpedoLeg &leg : legs)
        length += leg.Length;
    return length;
}

long double maxRunCables(std::int32_t maxRun)
{
    return std::max<long double>(0, maxRun) / PathMetresPerCable;
}

} // namespace

SeaPoint TorpedoRun::PositionAfter(long double seconds) const
{
    long double run = cablesPerSecond(Speed) * seconds;
    SeaPoint at = From;
    for (const TorpedoLeg &leg : Legs) {
        const long double part = std::min(run, leg.Length);
        at = offset(at, leg.Course, part);
        run -= part;
        if (run <= 0)
            break;
    }
    return at;
}

long double TorpedoRun::Duration() const
{
    return Speed > 0 ? runLength(Legs) / cablesPerSecond(Speed) : static_cast<long double>(0);
}

Approach ClosestApproachOf(const TargetTruth &truth, const TorpedoRun &run)
{
    const auto gap = [&](long double t) {
        const SeaPoint target = truth.PositionAt(run.FireTime + t);
        const SeaPoint torpedo = run.PositionAfter(t);
        return SeaPoint {target.East - torpedo.East, target.North - torpedo.North};
    };
    const long double end = run.Duration();

    // Between the moments when the torpedo turns or the target manoeuvres both move straight,
    // so the gap changes linearly and its least length has a closed form.
    std::vector<long double> breaks {0, end};
    long double legEnd = 0;
    for (const TorpedoLeg &leg : run.Legs) {
        legEnd += run.Speed > 0 ? leg.Length / cablesPerSecond(run.Speed) : 0;
        breaks.push_back(legEnd);
    }
    for (const long double change : truth.ChangeTimes())
        breaks.push_back(change - run.FireTime);
    std::erase_if(breaks, [end](long double t) { return t < 0 || t > end; });
    std::sort(breaks.begin(), breaks.end());

    SeaPoint start = gap(0);
    Approach closest {std::hypot(start.East, start.North), 0};
    const auto consider = [&closest](long double distance, long double after) {
        if (distance < closest.Distance)
            closest = {distance, after};
    };
    for (std::size_t i = 1; i < breaks.size(); ++i) {
        const long double span = breaks[i] - breaks[i - 1];
        const SeaPoint finish = gap(breaks[i]);
        if (span > 0) {
            const SeaPoint change {finish.East - start.East, finish.North - start.North};
            const long double square = change.East * change.East + change.North * change.North;
            long double share = 0;
            if (square > 0)
                share = std::clamp(
                    -(start.East * change.East + start.North * change.North) / square, 0.0L, 1.0L);
            consider(
                std::hypot(start.East + share * change.East, start.North + share * change.North),
                breaks[i - 1] + share * span);
        }
        consider(std::hypot(finish.East, finish.North), breaks[i]);
        start = finish;
    }
    return closest;
}

long double ClosestApproach(const TargetTruth &truth, long double fireTime, SeaPoint from,
    const std::vector<TorpedoLeg> &legs, long double speed)
{
    return ClosestApproachOf(truth, TorpedoRun {fireTime, from, legs, speed}).Distance;
}

TargetSlot SolvedNow(const TargetSlot &slot, std::int32_t ownCourse, std::int32_t torpedoSpeed)
{
    TargetSlot solved = slot;
    if (!solved.IsTarget)
        return solved; // a tick solves no slot without a target either
    UpdateTargetVelocity(solved);
    UpdateRangeAndBearing(solved);
    ComputeLeadAngle(solved, torpedoSpeed);
    ComputeAngularSolution(solved, ownCourse, torpedoSpeed);
    // "Delta ет (м)" as the slot took it.
    const auto secondTurnShown
        = static_cast<std::int32_t>(std::nearbyint(PxToInputMetres(solved.DeltaEtPx)));
    ComputeTorpedoPair(solved, ownCourse, secondTurnShown);
    return solved;
}

long double AsPrinted(long double value, int decimals)
{
    const long double scale = std::pow(10.0L, decimals);
    // Adding zero turns a negative zero into zero: "-0" is never printed.
    return std::nearbyint(value * scale) / scale + 0.0L;
}

std::optional<std::vector<TorpedoLeg>> MedianTorpedo(const TargetSlot &slot, std::int32_t maxRun)
{
    if (!slot.HasSolution)
        return std::nullopt;
    return std::vector<TorpedoLeg> {
        {static_cast<long double>(slot.SalvoMedian), maxRunCables(maxRun)}};
}

std::optional<std::vector<TorpedoLeg>> WakeTorpedo(
    const TargetSlot &slot, int torpedo, std::int32_t maxRun)
{
    if (!slot.HasSolution)
        return std::nullopt;
    const bool first = torpedo == 1;
    const long double run = maxRunCables(maxRun);
    if (slot.DeltaEtPx == 0)
        return std::vector<TorpedoLeg> {{first ? slot.SalvoMedian1 : slot.SalvoMedian2, run}};
    // Board offsets are px with y down; at sea, cables with north up.
    const long double east = (first ? slot.TurnDx1 : slot.TurnDx2) / PxPerCable;
    const long double north = -(first ? slot.TurnDy1 : slot.TurnDy2) / PxPerCable;
    const long double toTurn = std::hypot(east, north);
    std::vector<TorpedoLeg> legs {{SeaBearing({}, {east, north}), std::min(toTurn, run)}};
    if (run > toTurn)
        legs.push_back({slot.TargetCourse + slot.ThetaSet + 180, run - toTurn});
    return legs;
}

SlotSolution SolutionOf(const TargetSlot &slot)
{
    // Board px with y down, at sea cables with north up.
    const SeaPoint plotted {
        (slot.PosX - BoardCenter) / PxPerCable, -(slot.PosY - BoardCenter) / PxPerCable};
    return {slot.TargetCourse, slot.TargetSpeed, std::hypot(plotted.East, plotted.North),
        SeaBearing({}, plotted)};
}

TruthNow TruthAt(const TargetTruth &truth, SeaPoint own, long double seconds)
{
    const SeaPoint target = truth.PositionAt(seconds);
    return {SeaBearing(own, target), SeaDistance(own, target), truth.CourseAt(seconds),
        truth.SpeedAt(seconds)};
}

std::optional<int> SlotTracking(const TargetSlots &targets, std::int32_t targetNumber)
{
    for (int number = 1; number <= SlotCount; ++number) {
        if (targets[number].TargetNumber == targetNumber)
            return number;
    }
    return std::nullopt;
}

namespace {

// The median torpedo of a slot solved now, against the truth.
std::optional<TorpedoOutcome> fireMedian(const TargetTruth &truth, const ExerciseTarget &target,
    const TargetSlot &solved, const FireControlState &state, SeaPoint own)
{
    const auto legs = MedianTorpedo(solved, state.MaxRun);
    if (!legs || state.TorpedoSpeed <= 0)
        return std::nullopt;
    TorpedoOutcome outcome;
    outcome.Run = TorpedoRun {static_cast<long double>(state.TickCount), own, *legs,
        static_cast<long double>(state.TorpedoSpeed)};
    const Approach approach = ClosestApproachOf(truth, outcome.Run);
    outcome.MissMetres = approach.Distance * PathMetresPerCable;
    outcome.ClosestAfter = approach.After;
    outcome.Hit = outcome.MissMetres <= target.Length / 2;
    return outcome;
}

MissReason explain(const TargetScore &score, const ExerciseTarget &target, const TargetTruth &truth,
    const TargetSlot &slot, const FireControlState &state, SeaPoint own)
{
    MissReason reason;
    const bool within = score.Within();
    if (!score.Median) {
        if (within)
            reason.What = MissReason::Kind::NoSalvo;
        return reason;
    }
    const TorpedoOutcome &median = *score.Median;
    if (within == median.Hit)
        return reason;
    if (!within) {
        reason.What = MissReason::Kind::HitAnyway;
        return reason;
    }
    const long double now = state.TickCount;
    for (const long double change : truth.ChangeTimes()) {
        if (change > now && change - now < median.ClosestAfter) {
            reason.What = MissReason::Kind::Manoeuvre;
            reason.ManoeuvreAfter = change - now;
            return reason;
        }
    }
    if (median.RanOut()) {
        reason.What = MissReason::Kind::RanOut;
        return reason;
    }
    // Each element made true in turn: the one whose error alone costs most.
    reason.What = MissReason::Kind::ErrorsAdd;
    reason.MissWithWorstTrue = median.MissMetres;
    const SeaPoint at = truth.PositionAt(now);
    for (const char element : {'c', 's', 'p'}) {
        TargetSlot corrected = slot;
        if (element == 'c')
            corrected.TargetCourse = score.Truth.Course;
        else if (element == 's')
            corrected.TargetSpeed = score.Truth.Speed;
        else {
            corrected.PosX = BoardCenter + (at.East - own.East) * PxPerCable;
            corrected.PosY = BoardCenter - (at.North - own.North) * PxPerCable;
        }
        const auto outcome = fireMedian(
            truth, target, SolvedNow(corrected, state.OwnCourse, state.TorpedoSpeed), state, own);
        if (outcome && outcome->MissMetres < reason.MissWithWorstTrue) {
            reason.Worst = element;
            reason.MissWithWorstTrue = outcome->MissMetres;
        }
    }
    return reason;
}

} // namespace

TargetScore ScoreTarget(const ExerciseTarget &target, const ScoreTolerances &tolerances,
    const FireControlState &state, bool linearShown)
{
    const TargetTruth truth(target);
    const long double now = state.TickCount;
    const SeaPoint own = state.OwnTrack.PositionAt(now);

    TargetScore score;
    score.Target = target.Number;
    score.Truth = TruthAt(truth, own, now);
    score.DistanceTolerance
        = AsPrinted(tolerances.DistancePercent / 100 * score.Truth.Distance, DistanceDecimals);
    score.Slot = SlotTracking(state.Slots, target.Number);
    if (!score.Slot)
        return score;
    const TargetSlot slot
        = SolvedNow(state.Slots[*score.Slot], state.OwnCourse, state.TorpedoSpeed);
    score.Solution = SolutionOf(slot);
    score.CourseError = AsPrinted(
        std::remainder(score.Solution.Course - score.Truth.Course, 360.0L), CourseDecimals);
    score.SpeedError = AsPrinted(score.Solution.Speed - score.Truth.Speed, SpeedDecimals);
    score.DistanceError
        = AsPrinted(score.Solution.Distance - score.Truth.Distance, DistanceDecimals);
    score.BearingError = AsPrinted(
        std::remainder(score.Solution.Bearing - score.Truth.Bearing, 360.0L), BearingDecimals);
    score.CourseWithin = std::fabs(score.CourseError) <= tolerances.Course;
    score.SpeedWithin = std::fabs(score.SpeedError) <= tolerances.Speed;
    score.DistanceWithin = std::fabs(score.DistanceError) <= score.DistanceTolerance;

    score.Median = fireMedian(truth, target, slot, state, own);
    if (linearShown && state.TorpedoSpeed > 0) {
        for (int torpedo = 1; torpedo <= 2; ++torpedo) {
            const auto legs = WakeTorpedo(slot, torpedo, state.MaxRun);
            if (!legs)
                continue;
            TorpedoOutcome outcome;
            outcome.Run
                = TorpedoRun {now, own, *legs, static_cast<long double>(state.TorpedoSpeed)};
            const Approach approach = ClosestApproachOf(truth, outcome.Run);
            outcome.MissMetres = approach.Distance * PathMetresPerCable;
            outcome.ClosestAfter = approach.After;
            outcome.Hit = outcome.MissMetres <= target.Length / 2;
            score.Wake[static_cast<std::size_t>(torpedo - 1)] = outcome;
        }
    }
    score.Reason = explain(score, target, truth, slot, state, own);
    return score;
}

} // namespace varmet
