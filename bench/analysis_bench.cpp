// "Рассчитать" over 60 fixes: the bearings-only fit from all its starts, for a well-posed problem
// with whole-degree bearings as the operator enters them, and for a target that turned (no straight
// course fits, the optimiser's worst case).

#include "analysis/bearing_analysis.h"

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

} // namespace
} // namespace varmet

BENCHMARK_MAIN();
