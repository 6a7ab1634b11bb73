#include "scoring.h"

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

// A torpedo's position `seconds` after it left `from`; it stops at the end of its last leg.
SeaPoint torpedoAt(
    SeaPoint from, const std::vector<TorpedoLeg> &legs, long double speed, long double seconds)
{
    long double run = cablesPerSecond(speed) * seconds;
    SeaPoint at = from;
    for (const TorpedoLeg &leg : legs) {
        const long double part = std::min(run, leg.Length);
        at = offset(at, leg.Course, part);
        run -= part;
        if (run <= 0)
            break;
    }
    return at;
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

long double ClosestApproach(const TargetTruth &truth, long double fireTime, SeaPoint from,
    const std::vector<TorpedoLeg> &legs, long double speed)
{
    const auto gap = [&](long double t) {
        const SeaPoint target = truth.PositionAt(fireTime + t);
        const SeaPoint torpedo = torpedoAt(from, legs, speed, t);
        return SeaPoint {target.East - torpedo.East, target.North - torpedo.North};
    };
    const long double end
        = speed > 0 ? runLength(legs) / cablesPerSecond(speed) : static_cast<long double>(0);

    // Between the moments when the torpedo turns or the target manoeuvres both move straight,
    // so the gap changes linearly and its least length has a closed form.
    std::vector<long double> breaks {0, end};
    long double legEnd = 0;
    for (const TorpedoLeg &leg : legs) {
        legEnd += speed > 0 ? leg.Length / cablesPerSecond(speed) : 0;
        breaks.push_back(legEnd);
    }
    for (const long double change : truth.ChangeTimes())
        breaks.push_back(change - fireTime);
    std::erase_if(breaks, [end](long double t) { return t < 0 || t > end; });
    std::sort(breaks.begin(), breaks.end());

    SeaPoint start = gap(0);
    long double closest = std::hypot(start.East, start.North);
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
            closest = std::min(closest,
                std::hypot(start.East + share * change.East, start.North + share * change.North));
        }
        closest = std::min(closest, std::hypot(finish.East, finish.North));
        start = finish;
    }
    return closest;
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
    return {slot.TargetCourse, slot.TargetSpeed,
        std::hypot(slot.PosX - BoardCenter, slot.PosY - BoardCenter) / PxPerCable};
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

TargetScore ScoreTarget(const ExerciseTarget &target, const ScoreTolerances &tolerances,
    const FireControlState &state, bool linearShown)
{
    const TargetTruth truth(target);
    const long double now = state.TickCount;
    const SeaPoint own = state.OwnTrack.PositionAt(now);

    TargetScore score;
    score.Target = target.Number;
    score.Truth = TruthAt(truth, own, now);
    score.Slot = SlotTracking(state.Slots, target.Number);
    if (!score.Slot)
        return score;
    const TargetSlot &slot = state.Slots[*score.Slot];
    score.Solution = SolutionOf(slot);
    score.CourseError = std::remainder(score.Solution.Course - score.Truth.Course, 360.0L);
    score.SpeedError = score.Solution.Speed - score.Truth.Speed;
    score.DistanceError = score.Solution.Distance - score.Truth.Distance;
    score.CourseWithin = std::fabs(score.CourseError) <= tolerances.Course;
    score.SpeedWithin = std::fabs(score.SpeedError) <= tolerances.Speed;
    score.DistanceWithin
        = std::fabs(score.DistanceError) <= tolerances.DistancePercent / 100 * score.Truth.Distance;

    const auto fire
        = [&](const std::optional<std::vector<TorpedoLeg>> &legs) -> std::optional<TorpedoOutcome> {
        if (!legs || state.TorpedoSpeed <= 0)
            return std::nullopt;
        const long double miss
            = ClosestApproach(truth, now, own, *legs, state.TorpedoSpeed) * PathMetresPerCable;
        return TorpedoOutcome {miss, miss <= target.Length / 2};
    };
    score.Median = fire(MedianTorpedo(slot, state.MaxRun));
    if (linearShown) {
        for (int torpedo = 1; torpedo <= 2; ++torpedo)
            score.Wake[static_cast<std::size_t>(torpedo - 1)]
                = fire(WakeTorpedo(slot, torpedo, state.MaxRun));
    }
    return score;
}

} // namespace varmet
