// How soon the manoeuvre test sees a zig and how often it cries wolf, on generated encounters
// (bench/encounters.h): a solve after every report, the σ set to match the noise. Prints the
// delays after the zig of the whole test and of its χ² part alone, the zigs missed within ten
// minutes, and the false warnings over the solves of straight runs. Not timed.
//
//   manoeuvre_detection_eval [SEED [ZIGS [STRAIGHTS]]] [options]
//     SEED names the encounters, "1,3" pools seeds (default 2, held out like 8; the limits were
//     chosen on 1 and 3 to 7);
//     ZIGS, STRAIGHTS: how many of each (default 100 and 150).
//     --cusum DRIFT LIMIT    the cumulative sum's settings
//     --two-leg LIMIT        the two-leg test's limit (0: off)
//     --turn LIMIT           the turn test's limit (0: off)
//     --window SECONDS       how far back the two-leg test looks for the change
//     --calibrate RATE       (with --turn 0) print the two-leg limit that keeps the three tests
//                            together under RATE false warnings on these straight runs, and a
//                            table of the false warnings by limit for each batch of 150
//                            straight runs
//     --oracle DRAWS         for every zig missed, what any test could have seen: the likelihood
//                            ratios with the true moment of the zig and with the true motion,
//                            against their own 2 % limits simulated with DRAWS noise draws
//     EVAL_VERBOSE=1         a line per straight run with false warnings
//     EVAL_SOLVES=1          a line (on stderr) per straight-run solve only the two-leg test warns
//     EVAL_ONLY=N            run only the N-th encounter of the seed
//     EVAL_DUMP=FILE         a line per solve: seed, encounter, zig tick (-1 on a straight run),
//                            tick, χ² fires, sum fires, two-leg saving, turn saving, estimated
//                            new leg (-1: none); for rules over successive solves or other
//                            limits studied offline

#include "encounters.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace varmet;
using namespace varmet::bench;

namespace {

struct Outcome
{
    std::optional<std::int32_t> Warned; // seconds after the zig
    std::optional<std::int32_t> ChiSquare;
    std::optional<std::int32_t> TwoLeg; // the two-leg or the turn test
    std::optional<std::int32_t> SplitError; // estimated new leg minus the zig, at the warning
    // At the last solve: the one-leg χ², the part of it the noise alone makes (the truth's
    // residuals), and its limit; what is left is all the zig shows.
    long double LastChiSquare = 0;
    long double NoiseChiSquare = 0;
    long double LastLimit = 0;
    long double LastTwoLeg = 0;
    int Solves = 0; // before the zig, or all of a straight run
    int FalseWarnings = 0;
    int FalseChiSquare = 0;
    // The two-leg saving of every solve before the zig on which χ² and the sum stay quiet, and
    // how many solves warned without it.
    std::vector<long double> QuietSavings;
    int FalseWithoutTwoLeg = 0;
};

FitSettings Settings {MatchedSigma, 5};
int CurrentRun = 0;
std::uint64_t CurrentSeed = 0;
std::FILE *Dump = nullptr; // EVAL_DUMP: a line per solve, for sequential rules studied offline

long double TruthChiSquare(const FixLog &log, const Encounter &e, const TargetTruth &truth)
{
    long double sum = 0;
    for (const Fix &fix : log.Fixes()) {
        const long double noise
            = FoldBearing(
                  fix.Value - SeaBearing(e.Own.PositionAt(fix.Tick), truth.PositionAt(fix.Tick)))
            / Settings.SigmaBearingDegrees;
        sum += noise * noise;
    }
    return sum;
}

Outcome Run(const Encounter &e, std::uint64_t noiseSeed)
{
    Sonar sonar(e, noiseSeed);
    FixLog log;
    Outcome outcome;
    for (std::int32_t tick = ReportEvery; tick <= e.End; tick += ReportEvery) {
        log.Add(sonar.Report(tick));
        if (tick < e.OwnTurnTick + 3 * ReportEvery)
            continue;
        const FitAnalysis a
            = Analyse(log, e.Own, RoughTrial(e.Own, log.Fixes().back()), tick, Settings);
        if (!a.Manoeuvre)
            continue;
        const ManoeuvreTest &test = *a.Manoeuvre;
        const bool warned = test.Fires();
        const bool chi = test.ChiSquareFires();
        if (Dump)
            std::fprintf(Dump, "%llu %d %d %d %d %d %.3f %.3f %d\n",
                static_cast<unsigned long long>(CurrentSeed), CurrentRun,
                e.ZigTick ? *e.ZigTick : -1, tick, chi ? 1 : 0, test.CusumFires() ? 1 : 0,
                static_cast<double>(test.TwoLegSaving), static_cast<double>(test.TurnSaving),
                test.NewLegTick.value_or(-1));
        outcome.LastChiSquare = test.ChiSquare;
        outcome.LastLimit = test.ChiSquareLimit;
        outcome.LastTwoLeg = test.TwoLegSaving;
        outcome.NoiseChiSquare = TruthChiSquare(log, e, sonar.Truth());
        if (e.ZigTick && tick > *e.ZigTick) {
            if (warned && !outcome.Warned) {
                outcome.Warned = tick - *e.ZigTick;
                if (test.NewLegTick)
                    outcome.SplitError = *test.NewLegTick - *e.ZigTick;
            }
            if (chi && !outcome.ChiSquare)
                outcome.ChiSquare = tick - *e.ZigTick;
            if ((test.TwoLegFires() || test.TurnFires()) && !outcome.TwoLeg)
                outcome.TwoLeg = tick - *e.ZigTick;
        } else {
            ++outcome.Solves;
            outcome.FalseWarnings += warned;
            outcome.FalseChiSquare += chi;
            if (chi || test.CusumFires())
                ++outcome.FalseWithoutTwoLeg;
            else
                outcome.QuietSavings.push_back(test.TwoLegSaving);
            if (std::getenv("EVAL_SOLVES") && !chi && !test.CusumFires() && test.TwoLegFires())
                std::fprintf(stderr,
                    "run %d solve tick %d own-turn %d fixes %zu saving %.1f split %d chi %.1f/%zu "
                    "dist %.1f\n",
                    CurrentRun, tick, e.OwnTurnTick, log.Fixes().size(),
                    static_cast<double>(test.TwoLegSaving), test.NewLegTick.value_or(-1),
                    static_cast<double>(test.ChiSquare), test.Freedom,
                    static_cast<double>(
                        SeaDistance(e.Own.PositionAt(tick), sonar.Truth().PositionAt(tick))));
        }
    }
    return outcome;
}

template<typename T>
long double Median(std::vector<T> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0L;
}

// The value that `share` of `values` stays at or below.
long double Quantile(std::vector<long double> values, long double share)
{
    std::sort(values.begin(), values.end());
    const auto index
        = static_cast<std::size_t>(std::ceil(share * static_cast<long double>(values.size())) - 1);
    return values[std::min(index, values.size() - 1)];
}

// ---- What any test could see of a zig ----
//
// At the last solve (ten minutes after the zig) three statistics, each against the limit that
// it exceeds on 2 % of straight runs: the one-leg χ² less the truth's (the likelihood ratio of
// the true two-leg motion against the best straight one), the saving of a two-leg fit split at the
// true moment, and the Neyman–Pearson ratio of the true motion against the straight motion nearest
// to it. The straight runs for the limits are the straight motion nearest to the zig's bearings
// (the hardest to tell from it) with fresh noise; the same draws on the true motion give each
// statistic's chance of seeing the zig. Any test that warns on no more than 2 % of solves of that
// straight motion sees the zig at this solve with at most the Neyman–Pearson chance.

struct Oracle
{
    long double NoiseFree = 0; // the χ² the zig adds without noise (the non-centrality)
    long double TrueMotion = 0, TrueMotionLimit = 0, TrueMotionPower = 0;
    long double TrueSplit = 0, TrueSplitLimit = 0, TrueSplitPower = 0;
    long double NeymanPearsonLimit = 0, NeymanPearsonPower = 0;
};

constexpr long double OracleFalseAlarm = 0.02L;

struct Statistics
{
    long double TrueMotion;
    long double TrueSplit;
    long double NeymanPearson;
};

template<typename Position>
FixLog Bearings(const Encounter &e, Position target, NoiseSource *noise)
{
    SonarSettings sonar;
    sonar.BearingSigma = NoiseDegrees;
    FixLog log;
    for (std::int32_t tick = ReportEvery; tick <= e.End; tick += ReportEvery) {
        const SeaPoint own = e.Own.PositionAt(tick);
        const SeaPoint at = target(tick);
        const long double b
            = noise ? TakeBearing(sonar, 1, own, at, tick, *noise)->Bearing : SeaBearing(own, at);
        log.Add({tick, FixKind::Bearing, b, std::nullopt});
    }
    return log;
}

template<typename Position>
long double CostAgainst(const FixLog &log, const Encounter &e, Position target)
{
    long double sum = 0;
    for (const Fix &fix : log.Fixes()) {
        const long double r
            = FoldBearing(fix.Value - SeaBearing(e.Own.PositionAt(fix.Tick), target(fix.Tick)))
            / Settings.SigmaBearingDegrees;
        sum += r * r;
    }
    return sum;
}

template<typename Straight, typename Zig>
Statistics StatisticsOf(
    const FixLog &log, const Encounter &e, const Straight &straight, const Zig &zig)
{
    const TargetMotion trial = RoughTrial(e.Own, log.Fixes().back());
    const FitAnalysis a = Analyse(log, e.Own, trial, e.End, Settings);
    const long double oneLeg = a.Manoeuvre ? a.Manoeuvre->ChiSquare : 0;
    const long double truth = CostAgainst(log, e, zig);
    return {oneLeg - truth,
        TwoLegSavingAt(log, e.Own, a.Optimum.value_or(trial), *e.ZigTick, Settings).value_or(0),
        CostAgainst(log, e, straight) - truth};
}

Oracle OracleOf(const Encounter &e, const FixLog &seen, int draws, std::uint64_t seed)
{
    const TargetTruth truth(e.Target);
    const auto zig = [&](long double tick) { return truth.PositionAt(tick); };
    const FixLog exact = Bearings(e, zig, nullptr);
    const FitAnalysis nearest
        = Analyse(exact, e.Own, RoughTrial(e.Own, exact.Fixes().back()), e.End, Settings);
    Oracle oracle;
    if (!nearest.Optimum || !nearest.Manoeuvre)
        return oracle;
    oracle.NoiseFree = nearest.Manoeuvre->ChiSquare;
    const TargetMotion straightMotion = *nearest.Optimum;
    const auto straight = [&](long double tick) { return straightMotion.PositionAt(tick); };

    const Statistics observed = StatisticsOf(seen, e, straight, zig);
    oracle.TrueMotion = observed.TrueMotion;
    oracle.TrueSplit = observed.TrueSplit;

    std::vector<Statistics> quiet;
    std::vector<Statistics> turned;
    NoiseSource noise(seed);
    for (int i = 0; i < draws; ++i) {
        quiet.push_back(StatisticsOf(Bearings(e, straight, &noise), e, straight, zig));
        turned.push_back(StatisticsOf(Bearings(e, zig, &noise), e, straight, zig));
    }
    const auto limitAndPower
        = [&](long double Statistics::*member, long double &limit, long double &power) {
              std::vector<long double> values;
              for (const Statistics &s : quiet)
                  values.push_back(s.*member);
              limit = Quantile(values, 1 - OracleFalseAlarm);
              power = static_cast<long double>(std::count_if(turned.begin(), turned.end(),
                          [&](const Statistics &s) { return s.*member > limit; }))
                  / static_cast<long double>(turned.size());
          };
    limitAndPower(&Statistics::TrueMotion, oracle.TrueMotionLimit, oracle.TrueMotionPower);
    limitAndPower(&Statistics::TrueSplit, oracle.TrueSplitLimit, oracle.TrueSplitPower);
    limitAndPower(&Statistics::NeymanPearson, oracle.NeymanPearsonLimit, oracle.NeymanPearsonPower);
    return oracle;
}

// The encounter's log up to its end, as the sonar gave it in the run.
FixLog SeenLog(const Encounter &e, std::uint64_t noiseSeed)
{
    Sonar sonar(e, noiseSeed);
    FixLog log;
    for (std::int32_t tick = ReportEvery; tick <= e.End; tick += ReportEvery)
        log.Add(sonar.Report(tick));
    return log;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<const char *> positional;
    std::optional<long double> calibrate;
    int oracleDraws = 0;
    for (int i = 1; i < argc; ++i) {
        const auto option = [&](const char *name, int values) {
            return std::strcmp(argv[i], name) == 0 && i + values < argc;
        };
        if (option("--cusum", 2)) {
            Settings.CusumDrift = std::strtold(argv[++i], nullptr);
            Settings.CusumLimit = std::strtold(argv[++i], nullptr);
        } else if (option("--two-leg", 1)) {
            Settings.TwoLegLimit = std::strtold(argv[++i], nullptr);
        } else if (option("--turn", 1)) {
            Settings.TurnLimit = std::strtold(argv[++i], nullptr);
        } else if (option("--window", 1)) {
            Settings.TwoLegWindow = std::atoi(argv[++i]);
        } else if (option("--calibrate", 1)) {
            calibrate = std::strtold(argv[++i], nullptr);
        } else if (option("--oracle", 1)) {
            oracleDraws = std::atoi(argv[++i]);
        } else if (argv[i][0] != '-') {
            positional.push_back(argv[i]);
        } else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    // Seeds "1,3" pool the encounters of both.
    std::vector<std::uint64_t> seeds;
    for (const char *at = positional.size() > 0 ? positional[0] : "2"; *at;) {
        char *end = nullptr;
        seeds.push_back(std::strtoull(at, &end, 10));
        at = *end == ',' ? end + 1 : end + std::strlen(end);
    }
    const int zigs = positional.size() > 1 ? std::atoi(positional[1]) : 100;
    const int straights = positional.size() > 2 ? std::atoi(positional[2]) : 150;
    const bool verbose = std::getenv("EVAL_VERBOSE") != nullptr;
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> dump(
        std::getenv("EVAL_DUMP") ? std::fopen(std::getenv("EVAL_DUMP"), "w") : nullptr,
        [](std::FILE *f) { return f ? std::fclose(f) : 0; });
    if (std::getenv("EVAL_DUMP") && !dump) {
        std::fprintf(stderr, "cannot write %s\n", std::getenv("EVAL_DUMP"));
        return 1;
    }
    Dump = dump.get();

    std::vector<std::int32_t> warned;
    std::vector<std::int32_t> chi;
    std::vector<std::int32_t> lag; // warning minus χ² alone, where both fired
    std::vector<std::int32_t> split; // |estimated new leg - zig| at the warning
    struct Miss
    {
        Encounter E;
        std::uint64_t NoiseSeed;
        Outcome O;
    };
    std::vector<Miss> misses;
    int missed = 0;
    int chiMissed = 0;
    int twoLegFirst = 0; // zigs the two-leg or turn test saw first (alone or before the others)
    int straightSolves = 0;
    int falseWarnings = 0;
    int falseChi = 0;
    int falseWithoutTwoLeg = 0;
    std::vector<long double> quietSavings;
    struct Block
    {
        std::uint64_t Seed = 0;
        std::size_t Index = 0;
        int Solves = 0;
        int FalseWithoutTwoLeg = 0;
        std::vector<long double> QuietSavings;
    };
    std::vector<Block> blocks;
    int preZigSolves = 0;
    int preZigFalse = 0;
    for (const std::uint64_t seed : seeds) {
        Draws draws(seed);
        for (int i = 0; i < zigs + straights; ++i) {
            const bool zig = i < zigs;
            const Encounter e = DrawEncounter(draws, {30, 70, 360, zig});
            const std::uint64_t noiseSeed = draws.Seed();
            CurrentRun = i;
            CurrentSeed = seed;
            if (std::getenv("EVAL_ONLY") && std::atoi(std::getenv("EVAL_ONLY")) != i)
                continue;
            const Outcome o = Run(e, noiseSeed);
            if (zig) {
                o.Warned ? warned.push_back(*o.Warned) : void(++missed);
                o.ChiSquare ? chi.push_back(*o.ChiSquare) : void(++chiMissed);
                if (o.SplitError)
                    split.push_back(std::abs(*o.SplitError));
                if (o.Warned && o.ChiSquare)
                    lag.push_back(*o.Warned - *o.ChiSquare);
                if (o.TwoLeg && o.Warned && *o.TwoLeg == *o.Warned
                    && (!o.ChiSquare || *o.ChiSquare > *o.Warned))
                    ++twoLegFirst;
                preZigSolves += o.Solves;
                preZigFalse += o.FalseWarnings;
                if (!o.Warned)
                    misses.push_back({e, noiseSeed, o});
            } else {
                if (o.FalseWarnings && verbose)
                    std::printf("straight %d: %d false of %d (chi %d), nearest %.1f, speed %.1f\n",
                        i, o.FalseWarnings, o.Solves, o.FalseChiSquare,
                        static_cast<double>(Nearest(e)), static_cast<double>(e.Target.Speed));
                straightSolves += o.Solves;
                falseWarnings += o.FalseWarnings;
                falseChi += o.FalseChiSquare;
                falseWithoutTwoLeg += o.FalseWithoutTwoLeg;
                // Blocks of 150 straight runs, the size of one evaluation.
                const std::size_t block = static_cast<std::size_t>(i - zigs) / 150;
                if (blocks.empty() || blocks.back().Seed != seed || blocks.back().Index != block) {
                    blocks.emplace_back();
                    blocks.back().Seed = seed;
                    blocks.back().Index = block;
                }
                blocks.back().Solves += o.Solves;
                blocks.back().FalseWithoutTwoLeg += o.FalseWithoutTwoLeg;
                blocks.back().QuietSavings.insert(
                    blocks.back().QuietSavings.end(), o.QuietSavings.begin(), o.QuietSavings.end());
                quietSavings.insert(
                    quietSavings.end(), o.QuietSavings.begin(), o.QuietSavings.end());
            }
        }
    }
    const int allZigs = zigs * static_cast<int>(seeds.size());
    std::string seedNames;
    for (const std::uint64_t seed : seeds)
        seedNames += (seedNames.empty() ? std::string() : std::string(",")) + std::to_string(seed);
    std::printf("seed %s, sigma set %.3f deg, zigs %d, straight runs %d (each seed), cusum drift "
                "%.2f limit %.2f, two-leg limit %.2f, turn limit %.2f, window %d s\n",
        seedNames.c_str(), static_cast<double>(MatchedSigma), zigs, straights,
        static_cast<double>(Settings.CusumDrift), static_cast<double>(Settings.CusumLimit),
        static_cast<double>(Settings.TwoLegLimit), static_cast<double>(Settings.TurnLimit),
        Settings.TwoLegWindow);
    std::printf("warning after the zig: median %.0f s, max %d s, missed %d of %d; the two-leg "
                "or turn test first on %d\n",
        static_cast<double>(Median(warned)),
        warned.empty() ? -1 : *std::max_element(warned.begin(), warned.end()), missed, allZigs,
        twoLegFirst);
    std::printf("chi-square 1%% alone:   median %.0f s, missed %d of %d\n",
        static_cast<double>(Median(chi)), chiMissed, allZigs);
    std::printf(
        "warning minus chi-square alone: median %.0f s\n", static_cast<double>(Median(lag)));
    std::printf("estimated manoeuvre time at the warning: median error %.0f s\n",
        static_cast<double>(Median(split)));
    std::printf("false warnings: %d of %d straight-run solves (%.2f %%), chi-square alone %d, "
                "chi-square or sum %d; before the zig %d of %d (%.2f %%)\n",
        falseWarnings, straightSolves, 100.0 * falseWarnings / std::max(1, straightSolves),
        falseChi, falseWithoutTwoLeg, preZigFalse, preZigSolves,
        100.0 * preZigFalse / std::max(1, preZigSolves));

    if (calibrate && !quietSavings.empty()) {
        // The false warnings left to the two-leg test, and the smallest limit that keeps to them.
        const auto budget
            = static_cast<long>(std::floor(*calibrate * static_cast<long double>(straightSolves)));
        const long left = budget - falseWithoutTwoLeg;
        std::sort(quietSavings.begin(), quietSavings.end(), std::greater<>());
        const long double limit = left < 0 ? -1
            : static_cast<std::size_t>(left) < quietSavings.size()
            ? quietSavings[static_cast<std::size_t>(left)]
            : 0;
        std::printf("calibration: %.2f %% of %d solves allows %ld false warnings, chi-square or "
                    "sum gives %d; two-leg limit %.2f (quiet solves' savings: median %.2f, "
                    "99th percentile %.2f)\n",
            static_cast<double>(100 * *calibrate), straightSolves, budget, falseWithoutTwoLeg,
            static_cast<double>(limit), static_cast<double>(Median(quietSavings)),
            static_cast<double>(quietSavings[quietSavings.size() / 100]));
    }

    if (calibrate) {
        // How the false warnings of the three tests vary between blocks of 150 straight runs.
        std::printf("limit: false warnings of all blocks, then each block's %%\n");
        for (long double limit = 11; limit <= 17.01L; limit += 0.5L) {
            long total = 0;
            long solves = 0;
            std::string each;
            for (const Block &b : blocks) {
                const long count = b.FalseWithoutTwoLeg
                    + std::count_if(b.QuietSavings.begin(), b.QuietSavings.end(),
                        [&](long double v) { return v > limit; });
                total += count;
                solves += b.Solves;
                char cell[32];
                std::snprintf(cell, sizeof cell, " %.2f", 100.0 * count / std::max(1, b.Solves));
                each += cell;
            }
            std::printf("%5.1f: %ld of %ld (%.2f %%);%s\n", static_cast<double>(limit), total,
                solves, 100.0 * total / std::max(1L, solves), each.c_str());
        }
    }

    for (const Miss &m : misses) {
        const TargetTruth truth(m.E.Target);
        const SeaPoint own = m.E.Own.PositionAt(*m.E.ZigTick);
        std::printf("missed: distance at zig %.1f, speed %.1f, course %.0f -> %.0f, bearing %.0f; "
                    "ten minutes on chi-square %.1f (limit %.1f), the noise alone %.1f, two-leg "
                    "%.1f (limit %.1f)\n",
            static_cast<double>(SeaDistance(own, truth.PositionAt(*m.E.ZigTick))),
            static_cast<double>(m.E.Target.Speed), static_cast<double>(m.E.Target.Course),
            static_cast<double>(m.E.Target.Manoeuvres[0].Course),
            static_cast<double>(SeaBearing(own, truth.PositionAt(*m.E.ZigTick))),
            static_cast<double>(m.O.LastChiSquare), static_cast<double>(m.O.LastLimit),
            static_cast<double>(m.O.NoiseChiSquare), static_cast<double>(m.O.LastTwoLeg),
            static_cast<double>(Settings.TwoLegLimit));
        if (oracleDraws <= 0)
            continue;
        const Oracle o = OracleOf(m.E, SeenLog(m.E, m.NoiseSeed), oracleDraws, m.NoiseSeed);
        std::printf("  oracle at 2 %% (%d draws): noise-free chi-square of the zig %.1f; true "
                    "motion %.1f (limit %.1f, sees it %.0f %%); true split %.1f (limit %.1f, "
                    "%.0f %%); Neyman-Pearson best %.0f %% -> %s\n",
            oracleDraws, static_cast<double>(o.NoiseFree), static_cast<double>(o.TrueMotion),
            static_cast<double>(o.TrueMotionLimit), static_cast<double>(100 * o.TrueMotionPower),
            static_cast<double>(o.TrueSplit), static_cast<double>(o.TrueSplitLimit),
            static_cast<double>(100 * o.TrueSplitPower),
            static_cast<double>(100 * o.NeymanPearsonPower),
            o.TrueMotion <= o.TrueMotionLimit && o.TrueSplit <= o.TrueSplitLimit
                ? "below both limits: not detectable at 2 %"
                : "above a limit: detectable");
    }
    return 0;
}
