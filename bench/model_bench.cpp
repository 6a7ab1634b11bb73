// The model's share of one tick: for each of the five slots relative motion, dead reckoning,
// range and bearing, both solutions and the stroke lists of its figures; for the selected slot
// also the target velocity and the firing restrictions. Target: under 50 µs for the tick of five
// slots.

#include "model/angular.h"
#include "model/figures.h"
#include "model/linear.h"
#include "model/motion.h"
#include "model/numeric.h"
#include "model/restrictions.h"
#include "model/state.h"
#include "model/units.h"

#include <benchmark/benchmark.h>

namespace varmet {
namespace {

constexpr int SelectedSlot = 2;

struct TargetSetup
{
    long double bearing;
    long double cables;
    long double course;
    long double speed;
    long double correctionDegrees;
    long double wakeMetres;
    long double theta;
    long double deltaEtMetres;
};

FireControlState FiveTargets()
{
    const TargetSetup setups[SlotCount] = {
        {90, 50, 0, 10, 0, 1000, 90, 0},
        {30, 80, 200, 18, 2, 2000, 60, 0},
        {300, 40, 100, 25, -3, 1500, 90, 1000},
        {180, 120, 10, 12, 0, 800, -120, 500},
        {0, 60, 180, 8, 0, 0, 90, 0},
    };
    FireControlState state;
    state.OwnCourse = 30;
    state.OwnSpeed = 12;
    const WholeVector own = OwnVelocity(state.OwnCourse, state.OwnSpeed);
    state.OwnVecX = own.x;
    state.OwnVecY = own.y;
    state.TorpedoSpeed = 45;
    state.MaxRun = 19000;
    for (int number = 1; number <= SlotCount; ++number) {
        const TargetSetup &t = setups[number - 1];
        TargetSlot &slot = state.Slots[number];
        slot.FixBearing = t.bearing;
        slot.FixDistance = t.cables;
        PlaceAtFix(slot);
        slot.TargetCourse = t.course;
        slot.TargetSpeed = t.speed;
        slot.LeadCorrection = DegreesToRadians(t.correctionDegrees);
        slot.WakeLengthPx = InputMetresToPx(t.wakeMetres);
        slot.ThetaSet = t.theta;
        slot.DeltaEtPx = InputMetresToPx(t.deltaEtMetres);
        UpdateTargetVelocity(slot);
    }
    return state;
}

void OneTick(FireControlState &state)
{
    const WholeVector own = OwnVelocity(state.OwnCourse, state.OwnSpeed);
    for (int number = 1; number <= SlotCount; ++number) {
        TargetSlot &slot = state.Slots[number];
        UpdateRelativeMotion(slot, own);
        AdvancePosition(slot);
        benchmark::DoNotOptimize(TrackAndWake(slot));
        UpdateRangeAndBearing(slot);
        ComputeLeadAngle(slot, state.TorpedoSpeed);
        ComputeAngularSolution(slot, state.OwnCourse, state.TorpedoSpeed);
        const std::int32_t shownDeltaEt = RoundToInt32(PxToInputMetres(slot.DeltaEtPx));
        ComputeTorpedoPair(slot, state.OwnCourse, shownDeltaEt);
        benchmark::DoNotOptimize(MedianLine(slot, state.MaxRun));
        benchmark::DoNotOptimize(TrackAndWake(slot));
        if (number == SelectedSlot) {
            UpdateTargetVelocity(slot);
            RestrictionInputs inputs;
            inputs.angularShown = inputs.linearShown = true;
            inputs.secondTurnPathShown = shownDeltaEt;
            inputs.theta = 90;
            inputs.maxRun = state.MaxRun;
            benchmark::DoNotOptimize(CheckRestrictions(slot, inputs));
        }
        benchmark::DoNotOptimize(TorpedoPair(slot, state.MaxRun));
    }
}

void BM_TickOfFiveSlots(benchmark::State &bench)
{
    FireControlState state = FiveTargets();
    for (auto _ : bench) {
        OneTick(state);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TickOfFiveSlots);

void BM_SolutionsOfOneSlot(benchmark::State &bench)
{
    FireControlState state = FiveTargets();
    TargetSlot &slot = state.Slots[1];
    UpdateRangeAndBearing(slot);
    for (auto _ : bench) {
        ComputeLeadAngle(slot, state.TorpedoSpeed);
        ComputeAngularSolution(slot, state.OwnCourse, state.TorpedoSpeed);
        ComputeTorpedoPair(slot, state.OwnCourse, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SolutionsOfOneSlot);

} // namespace
} // namespace varmet
