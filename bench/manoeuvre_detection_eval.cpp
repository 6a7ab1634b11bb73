// How soon the manoeuvre test sees a zig and how often it cries wolf, on generated encounters
// (bench/encounters.h): a solve after every report, the σ set to match the noise. Prints the
// delays after the zig of the whole test and of its χ² half alone, the zigs missed within ten
// minutes, and the false warnings over the solves of straight runs. Not timed; the seed (first
// argument, default 2) names the encounters.

#include "encounters.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace varmet;
using namespace varmet::bench;

namespace {

struct Outcome
{
    std::optional<std::int32_t> Warned; // seconds after the zig
    std::optional<std::int32_t> ChiSquare;
    std::optional<std::int32_t> SplitError; // estimated new leg minus the zig, at the warning
    // At the last solve: the one-leg χ², the part of it the noise alone makes (the truth's
    // residuals), and its limit; what is left is all the zig shows.
    long double LastChiSquare = 0;
    long double NoiseChiSquare = 0;
    long double LastLimit = 0;
    int Solves = 0; // before the zig, or all of a straight run
    int FalseWarnings = 0;
    int FalseChiSquare = 0;
};

FitSettings Settings {MatchedSigma, 5};

Outcome Run(const Encounter &e, std::uint64_t noiseSeed)
{
    Sonar sonar(e, noiseSeed);
    const FitSettings &settings = Settings;
    FixLog log;
    Outcome outcome;
    for (std::int32_t tick = ReportEvery; tick <= e.End; tick += ReportEvery) {
        log.Add(sonar.Report(tick));
        if (tick < e.OwnTurnTick + 3 * ReportEvery)
            continue;
        const FitAnalysis a
            = Analyse(log, e.Own, RoughTrial(e.Own, log.Fixes().back()), tick, settings);
        if (!a.Manoeuvre)
            continue;
        const bool warned = a.Manoeuvre->Fires();
        const bool chi = a.Manoeuvre->ChiSquareFires();
        outcome.LastChiSquare = a.Manoeuvre->ChiSquare;
        outcome.LastLimit = a.Manoeuvre->ChiSquareLimit;
        outcome.NoiseChiSquare = 0;
        for (const Fix &fix : log.Fixes()) {
            const long double noise
                = FoldBearing(fix.Value
                      - SeaBearing(e.Own.PositionAt(fix.Tick), sonar.Truth().PositionAt(fix.Tick)))
                / settings.SigmaBearingDegrees;
            outcome.NoiseChiSquare += noise * noise;
        }
        if (e.ZigTick && tick > *e.ZigTick) {
            if (warned && !outcome.Warned) {
                outcome.Warned = tick - *e.ZigTick;
                if (a.Manoeuvre->NewLegTick)
                    outcome.SplitError = *a.Manoeuvre->NewLegTick - *e.ZigTick;
            }
            if (chi && !outcome.ChiSquare)
                outcome.ChiSquare = tick - *e.ZigTick;
            if (outcome.Warned && outcome.ChiSquare)
                break;
        } else {
            ++outcome.Solves;
            outcome.FalseWarnings += warned;
            outcome.FalseChiSquare += chi;
        }
    }
    return outcome;
}

long double Median(std::vector<std::int32_t> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0L;
}

} // namespace

int main(int argc, char **argv)
{
    const std::uint64_t seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 2;
    const int zigs = argc > 2 ? std::atoi(argv[2]) : 60;
    const int straights = argc > 3 ? std::atoi(argv[3]) : 30;
    if (argc > 5) {
        Settings.CusumDrift = std::strtold(argv[4], nullptr);
        Settings.CusumLimit = std::strtold(argv[5], nullptr);
    }
    Draws draws(seed);
    std::vector<std::int32_t> warned;
    std::vector<std::int32_t> chi;
    std::vector<std::int32_t> lag; // warning minus χ² alone, where both fired
    std::vector<std::int32_t> split; // |estimated new leg - zig| at the warning
    int missed = 0;
    int chiMissed = 0;
    int straightSolves = 0;
    int falseWarnings = 0;
    int falseChi = 0;
    int preZigSolves = 0;
    int preZigFalse = 0;
    for (int i = 0; i < zigs + straights; ++i) {
        const bool zig = i < zigs;
        const Encounter e = DrawEncounter(draws, {30, 70, 360, zig});
        const Outcome o = Run(e, draws.Seed());
        if (zig && !o.Warned && std::getenv("EVAL_VERBOSE")) {
            const TargetTruth truth(e.Target);
            const SeaPoint own = e.Own.PositionAt(*e.ZigTick);
            std::printf(
                "missed: distance at zig %.1f, speed %.1f, course %.0f -> %.0f, bearing %.0f; "
                "ten minutes on chi-square %.1f (limit %.1f), the noise alone %.1f\n",
                static_cast<double>(SeaDistance(own, truth.PositionAt(*e.ZigTick))),
                static_cast<double>(e.Target.Speed), static_cast<double>(e.Target.Course),
                static_cast<double>(e.Target.Manoeuvres[0].Course),
                static_cast<double>(SeaBearing(own, truth.PositionAt(*e.ZigTick))),
                static_cast<double>(o.LastChiSquare), static_cast<double>(o.LastLimit),
                static_cast<double>(o.NoiseChiSquare));
        }
        if (zig) {
            o.Warned ? warned.push_back(*o.Warned) : void(++missed);
            o.ChiSquare ? chi.push_back(*o.ChiSquare) : void(++chiMissed);
            if (o.SplitError)
                split.push_back(std::abs(*o.SplitError));
            if (o.Warned && o.ChiSquare)
                lag.push_back(*o.Warned - *o.ChiSquare);
            preZigSolves += o.Solves;
            preZigFalse += o.FalseWarnings;
        } else {
            if (o.FalseWarnings && std::getenv("EVAL_VERBOSE")) {
                const TargetTruth truth(e.Target);
                std::printf("straight %d: %d false of %d (chi %d), nearest %.1f, speed %.1f\n", i,
                    o.FalseWarnings, o.Solves, o.FalseChiSquare, static_cast<double>(Nearest(e)),
                    static_cast<double>(e.Target.Speed));
            }
            straightSolves += o.Solves;
            falseWarnings += o.FalseWarnings;
            falseChi += o.FalseChiSquare;
        }
    }
    std::printf("seed %llu, sigma set %.3f deg, zigs %d, straight runs %d, cusum drift %.2f "
                "limit %.2f\n",
        static_cast<unsigned long long>(seed), static_cast<double>(MatchedSigma), zigs, straights,
        static_cast<double>(Settings.CusumDrift), static_cast<double>(Settings.CusumLimit));
    std::printf("warning after the zig: median %.0f s, max %d s, missed %d of %d\n",
        static_cast<double>(Median(warned)),
        warned.empty() ? -1 : *std::max_element(warned.begin(), warned.end()), missed, zigs);
    std::printf("chi-square 1%% alone:   median %.0f s, missed %d of %d\n",
        static_cast<double>(Median(chi)), chiMissed, zigs);
    std::printf(
        "warning minus chi-square alone: median %.0f s\n", static_cast<double>(Median(lag)));
    std::printf("estimated manoeuvre time at the warning: median error %.0f s\n",
        static_cast<double>(Median(split)));
    std::printf("false warnings: %d of %d straight-run solves (%.2f %%), chi-square alone %d; "
                "before the zig %d of %d (%.2f %%)\n",
        falseWarnings, straightSolves, 100.0 * falseWarnings / std::max(1, straightSolves),
        falseChi, preZigFalse, preZigSolves, 100.0 * preZigFalse / std::max(1, preZigSolves));
    return 0;
}
