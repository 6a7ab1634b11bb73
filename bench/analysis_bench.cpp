// "Рассчитать" over 60 fixes: the bearings-only fit from all its starts, for a well-posed problem
// with whole-degree bearings as the operator enters them, and for a target that turned (no straight
// course fits, the optimiser's worst case). And the whole "Рассчитать" as the window runs it: the
// fit with its manoeuvre test and the odds of a hit (4000 draws) on the fit's and on another
// solution; and the steering advice over 36 courses.

#include "analysis/bearing_analysis.h"
#include "analysis/hit_probability.h"
#include "analysis/steering_advice.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace varmet {
namespace {

constexpr std::int32_t Now = 1200;
constexpr std::int32_t Every = 20; // 60 bearing fixes

OwnShipTrack TurningOwnShip()
{
    OwnShipTrack own;
    for (std::int32_t tick = 1; tick <= Now; ++tick)
        own.Advance(tick, tick <= 600 ? 0 : 90, 10);
    return own;
}

FixLog Bearings(const OwnShipTrack &own, std::int32_t turnTick)
{
    const TargetMotion first {{28.28L, 28.28L}, 0, 270, 20};
    const TargetMotion turned {first.PositionAt(turnTick), turnTick, 90, 20};
    FixLog log;
    for (std::int32_t tick = Every; tick <= Now; tick += Every) {
        const TargetMotion &target = tick <= turnTick ? first : turned;
        log.Add({tick, FixKind::Bearing, std::rint(PredictedBearing(target, own, tick)), 0});
    }
    return log;
}

void Run(benchmark::State &state, std::int32_t turnTick)
{
    const OwnShipTrack own = TurningOwnShip();
    const FixLog log = Bearings(own, turnTick);
    const TargetMotion trial {{30, 0}, Now, 200, 8};
    for (auto _ : state)
        benchmark::DoNotOptimize(Fit(log, own, trial, Now));
}

void BM_FitSixtyBearings(benchmark::State &state)
{
    Run(state, Now + 1);
}
BENCHMARK(BM_FitSixtyBearings)->Unit(benchmark::kMillisecond);

void BM_FitSixtyBearingsTargetTurned(benchmark::State &state)
{
    Run(state, 600);
}
BENCHMARK(BM_FitSixtyBearingsTargetTurned)->Unit(benchmark::kMillisecond);

// The fit, the manoeuvre test, and the odds of a hit on the fit's solution and on a trial's.
void SolveWithTestAndOdds(benchmark::State &state, std::int32_t turnTick)
{
    const OwnShipTrack own = TurningOwnShip();
    const FixLog log = Bearings(own, turnTick);
    const TargetMotion trial {{30, 0}, Now, 200, 8};
    for (auto _ : state) {
        const FitAnalysis a = Analyse(log, own, trial, Now, {0.58L, 5});
        const auto *fit = std::get_if<FitSolution>(&a.Result);
        if (!fit)
            continue;
        for (const TargetMotion &aimed : {fit->Motion, trial}) {
            if (const auto salvo = SalvoAimedAt(aimed, own, Now, 90, 45, 9000))
                benchmark::DoNotOptimize(HitProbability(*fit, *salvo));
        }
    }
}

void BM_SolveWithTestAndOddsSixtyBearings(benchmark::State &state)
{
    SolveWithTestAndOdds(state, Now + 1);
}
BENCHMARK(BM_SolveWithTestAndOddsSixtyBearings)->Unit(benchmark::kMillisecond);

void BM_SolveWithTestAndOddsTargetTurned(benchmark::State &state)
{
    SolveWithTestAndOdds(state, 600);
}
BENCHMARK(BM_SolveWithTestAndOddsTargetTurned)->Unit(benchmark::kMillisecond);

void BM_SteeringAdviceSixtyBearings(benchmark::State &state)
{
    OwnShipTrack own;
    for (std::int32_t tick = 1; tick <= Now; ++tick)
        own.Advance(tick, 0, 10);
    const FixLog log = Bearings(own, Now + 1);
    const TargetMotion trial {{30, 0}, Now, 200, 8};
    for (auto _ : state)
        benchmark::DoNotOptimize(AdviseCourse(log, own, trial, Now, {0.58L, 5}, 5, 20));
}
BENCHMARK(BM_SteeringAdviceSixtyBearings)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace varmet

BENCHMARK_MAIN();
