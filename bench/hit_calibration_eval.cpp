// Whether the odds of a hit mean what they say: over seeded exercises (bench/encounters.h, the
// target closer than in the detection runs), the fit at a random moment after own ship's turn, the
// salvo aimed on the fit's solution, its odds, and the torpedo then run against the true track
// (the exercise's own closest approach). Prints the mean odds against the share of hits, overall
// and by tenths of the odds. Not timed; the seed (first argument, default 3) names the exercises.

#include "encounters.h"

#include "analysis/hit_probability.h"
#include "exercise/scoring.h"
#include "model/units.h"

#include <array>
#include <cstdio>
#include <cstdlib>

using namespace varmet;
using namespace varmet::bench;

namespace {

constexpr std::int32_t TorpedoSpeed = 45;
constexpr std::int32_t MaxRunMetres = 12000;
constexpr long double TargetLength = 100;

struct Shot
{
    long double Odds;
    bool Hit;
};

std::optional<Shot> Exercise(Draws &draws)
{
    const Encounter e = DrawEncounter(draws, {15, 35, 360, false});
    const std::int32_t fireTick
        = e.OwnTurnTick + ReportEvery * static_cast<std::int32_t>(draws.Uniform(10, 40));
    Sonar sonar(e, draws.Seed());
    FixLog log;
    for (std::int32_t tick = ReportEvery; tick <= fireTick; tick += ReportEvery)
        log.Add(sonar.Report(tick));
    const FitResult result
        = Fit(log, e.Own, RoughTrial(e.Own, log.Fixes().back()), fireTick, {MatchedSigma, 5});
    const auto *fit = std::get_if<FitSolution>(&result);
    if (!fit)
        return std::nullopt;
    const auto ownCourse = static_cast<std::int32_t>(e.Own.Legs().back().Course);
    const auto salvo
        = SalvoAimedAt(fit->Motion, e.Own, fireTick, ownCourse, TorpedoSpeed, MaxRunMetres);
    if (!salvo)
        return std::nullopt;
    const long double odds = HitProbability(*fit, *salvo, {4000, 18, TargetLength});
    const long double miss = ClosestApproach(
        sonar.Truth(), fireTick, salvo->From, {{salvo->Course, salvo->RunCables}}, TorpedoSpeed);
    return Shot {odds, miss * PathMetresPerCable <= TargetLength / 2};
}

} // namespace

int main(int argc, char **argv)
{
    const std::uint64_t seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 3;
    const int exercises = argc > 2 ? std::atoi(argv[2]) : 2000;
    Draws draws(seed);
    std::array<int, 10> shots {};
    std::array<int, 10> hits {};
    std::array<double, 10> odds {};
    int fired = 0;
    int hitTotal = 0;
    double oddsTotal = 0;
    double brier = 0;
    for (int i = 0; i < exercises; ++i) {
        const std::optional<Shot> shot = Exercise(draws);
        if (!shot)
            continue;
        const auto bin = static_cast<std::size_t>(std::min(9, static_cast<int>(shot->Odds * 10)));
        ++shots[bin];
        hits[bin] += shot->Hit;
        odds[bin] += static_cast<double>(shot->Odds);
        ++fired;
        hitTotal += shot->Hit;
        oddsTotal += static_cast<double>(shot->Odds);
        const double gap = static_cast<double>(shot->Odds) - shot->Hit;
        brier += gap * gap;
    }
    std::printf("seed %llu: %d exercises, %d salvoes fired on a fit\n",
        static_cast<unsigned long long>(seed), exercises, fired);
    std::printf("overall: mean odds %.3f, hits %.3f, difference %+.3f, Brier %.3f\n",
        oddsTotal / std::max(1, fired), static_cast<double>(hitTotal) / std::max(1, fired),
        oddsTotal / std::max(1, fired) - static_cast<double>(hitTotal) / std::max(1, fired),
        brier / std::max(1, fired));
    for (std::size_t bin = 0; bin < 10; ++bin) {
        if (shots[bin] == 0)
            continue;
        std::printf("odds %.1f-%.1f: %4d salvoes, mean odds %.3f, hits %.3f\n", bin / 10.0,
            (bin + 1) / 10.0, shots[bin], odds[bin] / shots[bin],
            static_cast<double>(hits[bin]) / shots[bin]);
    }
    return 0;
}
