#include "analysis/bearing_analysis.h"
#include "analysis/chi_square.h"
#include "analysis/steering_advice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace varmet {
namespace {

struct OwnLegPlan
{
    std::int32_t Until; // the leg runs up to this tick
    long double Course;
    long double Speed;
};

OwnShipTrack Track(const std::vector<OwnLegPlan> &legs)
{
    OwnShipTrack track;
    std::int32_t tick = 0;
    for (const OwnLegPlan &leg : legs)
        while (tick < leg.Until)
            track.Advance(++tick, leg.Course, leg.Speed);
    return track;
}

// A target on `First` that turns about to `TurnCourse` after `TurnTick` (never when it is 0).
struct Truth
{
    TargetMotion First;
    std::int32_t TurnTick = 0;
    long double TurnCourse = 0;

    TargetMotion At(std::int32_t tick) const
    {
        if (TurnTick == 0 || tick <= TurnTick)
            return First;
        return {First.PositionAt(TurnTick), TurnTick, TurnCourse, First.Speed};
    }
};

// Noise-free bearings every `every` ticks up to 1200, and a distance at `distanceTick` (if not 0).
FixLog Fixes(
    const Truth &truth, const OwnShipTrack &own, std::int32_t every, std::int32_t distanceTick = 0)
{
    FixLog log;
    for (std::int32_t tick = every; tick <= 1200; tick += every) {
        log.Add({tick, FixKind::Bearing, PredictedBearing(truth.At(tick), own, tick), 0});
        if (tick == distanceTick)
            log.Add({tick, FixKind::Distance, PredictedDistance(truth.At(tick), own, tick), 0});
    }
    return log;
}

// 60 cables NE of own ship's start running west; 40 cables NE; 50 cables NW running north-east.
const TargetMotion Crossing {{42.43L, 42.43L}, 0, 270, 12};
const TargetMotion Fast {{42.43L, 42.43L}, 0, 270, 20};
const TargetMotion Near {{28.28L, 28.28L}, 0, 270, 20};
const TargetMotion Closing {{-35, 35}, 0, 30, 15};
const std::vector<OwnLegPlan> TurnAt600 {{600, 0, 10}, {1200, 90, 10}};
const std::vector<OwnLegPlan> OneLeg {{1200, 0, 10}};

TEST(Fit, KnownProblems)
{
    const struct
    {
        const char *Name;
        std::vector<OwnLegPlan> Own;
        Truth Target;
        std::int32_t DistanceTick;
        std::optional<FitFailure> Failure;
        bool Manoeuvre;
    } cases[] {
        {"own ship turns once", TurnAt600, {Crossing}, 0, std::nullopt, false},
        {"other turn, closing target", {{500, 300, 12}, {1200, 60, 12}}, {Closing}, 0, std::nullopt,
            false},
        {"one leg, bearings only", OneLeg, {Crossing}, 0, FitFailure::OwnShipNotManoeuvred, false},
        {"one leg and a distance", OneLeg, {Crossing}, 600, std::nullopt, false},
        {"target turns about late", TurnAt600, {Fast, 900, 90}, 0, std::nullopt, true},
        // The best straight course runs off to no distance at all.
        {"target turns about with own ship", TurnAt600, {Near, 600, 90}, 0,
            FitFailure::TargetManoeuvred, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        const OwnShipTrack own = Track(c.Own);
        const FixLog log = Fixes(c.Target, own, 30, c.DistanceTick);
        const TargetMotion now = c.Target.At(1200);
        // A poor trial: 20 cables off, 60 degrees off in course, slow.
        const SeaPoint at = now.PositionAt(1200);
        const TargetMotion trial {{at.East + 20, at.North - 10}, 1200, now.Course + 60, 5};
        const FitResult result = Fit(log, own, trial, 1200);
        if (c.Failure) {
            ASSERT_TRUE(std::holds_alternative<FitFailure>(result));
            EXPECT_EQ(std::get<FitFailure>(result), *c.Failure);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<FitSolution>(result));
        const FitSolution &fit = std::get<FitSolution>(result);
        EXPECT_EQ(fit.ManoeuvreSuspected, c.Manoeuvre);
        EXPECT_EQ(fit.Used, log.Fixes().size());
        if (c.Manoeuvre)
            continue;
        EXPECT_NEAR(static_cast<double>(FoldBearing(fit.Course - now.Course)), 0, 0.1);
        EXPECT_NEAR(static_cast<double>(fit.Speed), static_cast<double>(now.Speed), 0.05);
        EXPECT_NEAR(static_cast<double>(fit.Distance),
            static_cast<double>(PredictedDistance(now, own, 1200)), 0.1);
        EXPECT_NEAR(static_cast<double>(fit.Misfit), 0, 1e-6);
    }
}

TEST(Fit, CountsAndSettings)
{
    const OwnShipTrack own = Track(TurnAt600);
    const TargetMotion trial = Crossing;
    const FixLog three = Fixes({Crossing}, own, 400);
    EXPECT_EQ(std::get<FitFailure>(Fit(three, own, trial, 1200)), FitFailure::TooFewFixes);
    EXPECT_EQ(std::get<FitFailure>(Fit({}, own, trial, 1200)), FitFailure::TooFewFixes);

    FixLog log = Fixes({Crossing}, own, 30);
    EXPECT_EQ(
        std::get<FitFailure>(Fit(log, own, trial, 1200, {0, 5})), FitFailure::InvalidSettings);
    EXPECT_EQ(
        std::get<FitFailure>(Fit(log, own, trial, 1200, {1, -1})), FitFailure::InvalidSettings);
    // "Новый галс" after own ship's turn leaves bearings from one leg only.
    log.NewLegTick = 700;
    EXPECT_EQ(std::get<FitFailure>(Fit(log, own, trial, 1200)), FitFailure::OwnShipNotManoeuvred);
    // A turn only just before the end leaves the distance poorly known.
    const OwnShipTrack late = Track({{1170, 0, 10}, {1200, 5, 10}});
    const FixLog lateLog = Fixes({Closing}, late, 30);
    EXPECT_EQ(std::get<FitFailure>(Fit(lateLog, late, trial, 1200, {3, 5})),
        FitFailure::DistanceUncertain);
}

long double ChiSquareLimitOf(std::size_t freedom)
{
    return ChiSquareLimit(0.01L, freedom);
}

// Whole-degree bearings every 20 s with seeded normal noise of 0.5°, as the sonar gives them.
FixLog NoisyBearings(const Truth &truth, const OwnShipTrack &own, std::int32_t until,
    std::uint64_t seed, std::int32_t from = 20)
{
    std::mt19937_64 engine(seed);
    const auto uniform = [&engine] { return (static_cast<double>(engine() >> 11) + 1) * 0x1p-53; };
    FixLog log;
    for (std::int32_t tick = from; tick <= until; tick += 20) {
        const double noise
            = std::sqrt(-2 * std::log(uniform())) * std::cos(6.283185307 * uniform());
        const long double bearing
            = std::rint(PredictedBearing(truth.At(tick), own, tick) + 0.5 * noise);
        log.Add({tick, FixKind::Bearing, std::fmod(bearing + 360, 360.0L), std::nullopt});
    }
    return log;
}

TEST(ManoeuvreTest, ZigSeenSoonAndPlacedStraightRunQuiet)
{
    const OwnShipTrack own = Track({{600, 0, 10}, {1500, 90, 10}});
    const FitSettings matched {0.58L, 5};
    const Truth straight {Crossing};
    const Truth zig {Crossing, 900, 0}; // 90° to starboard at 15 min
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(seed);
        const FixLog quiet = NoisyBearings(straight, own, 1500, seed);
        const FitAnalysis calm = Analyse(quiet, own, Crossing, 1500, matched);
        ASSERT_TRUE(calm.Manoeuvre);
        EXPECT_FALSE(calm.Manoeuvre->Fires());
        EXPECT_EQ(calm.Manoeuvre->Freedom, quiet.Fixes().size() - 4);
        EXPECT_NEAR(
            calm.Manoeuvre->ChiSquareLimit, ChiSquareLimitOf(calm.Manoeuvre->Freedom), 1e-9L);
        EXPECT_FALSE(std::get<FitSolution>(calm.Result).ManoeuvreSuspected);
        // The σ set is the σ tested: the same bearings claimed five times finer fail χ².
        const FitAnalysis strict = Analyse(quiet, own, Crossing, 1500, {0.58L / 5, 5});
        EXPECT_TRUE(strict.Manoeuvre->ChiSquareFires());
        EXPECT_EQ(strict.Manoeuvre->SigmaBearing, 0.58L / 5);

        // After the zig a solve after every report warns within five minutes and places the new
        // leg roughly; ten minutes on, closely.
        const FixLog all = NoisyBearings(zig, own, 1500, seed);
        std::optional<std::int32_t> warned;
        std::optional<std::int32_t> newLeg;
        FixLog growing;
        for (const Fix &fix : all.Fixes()) {
            growing.Add(fix);
            const FitAnalysis a = Analyse(growing, own, Crossing, fix.Tick, matched);
            if (fix.Tick <= 900 || !a.Manoeuvre || !a.Manoeuvre->Fires())
                continue;
            warned = fix.Tick;
            newLeg = a.Manoeuvre->NewLegTick;
            break;
        }
        ASSERT_TRUE(warned);
        EXPECT_LE(*warned - 900, 300);
        ASSERT_TRUE(newLeg);
        EXPECT_NEAR(*newLeg, 900, 180);
        const FitAnalysis later = Analyse(all, own, Crossing, 1500, matched);
        ASSERT_TRUE(later.Manoeuvre && later.Manoeuvre->NewLegTick);
        EXPECT_NEAR(*later.Manoeuvre->NewLegTick, 900, 60);
    }
}

TEST(ManoeuvreTest, CumulativeSumSeesTheLatestFixesBeforeTheWholeSum)
{
    const OwnShipTrack own = Track(TurnAt600);
    FixLog log = Fixes({Crossing}, own, 20);
    FixLog shifted;
    for (Fix fix : log.Fixes()) {
        if (fix.Tick > 1140)
            fix.Value += 2; // the last three fixes drift off by 2°
        shifted.Add(fix);
    }
    const FitAnalysis a = Analyse(shifted, own, Crossing, 1200, {0.58L, 5});
    ASSERT_TRUE(a.Manoeuvre);
    EXPECT_TRUE(a.Manoeuvre->CusumFires());
    EXPECT_FALSE(a.Manoeuvre->ChiSquareFires());
    EXPECT_NEAR(*a.Manoeuvre->NewLegTick, 1160, 40);
    // The same shift spread over the log keeps the sum low.
    const FitAnalysis b = Analyse(log, own, Crossing, 1200, {0.58L, 5});
    EXPECT_FALSE(b.Manoeuvre->Fires());
}

// Chosen together with the turn test's limit from the per-solve dump of
// `manoeuvre_detection_eval 1,3,4 100 300` and the same on seeds 5,6,7 (EVAL_DUMP): the fewest
// zigs missed while the four tests together warn on no more straight-run solves than the three
// did with the limit 15, over all and in each batch of 150 runs (within 0.05 %). Seeds 2 and 8
// to 10 are kept for the evaluation.
constexpr long double CalibratedTwoLegLimit = 15.5L;

TEST(ManoeuvreTest, TwoLegRatioExactOnTwoLegsFoundWithNoise)
{
    const OwnShipTrack own = Track({{600, 0, 10}, {1500, 90, 10}});
    const FitSettings matched {0.58L, 5};
    // Without noise a two-leg fit split at the turn explains every bearing: it saves the whole
    // one-leg sum.
    const Truth zig {Crossing, 900, 0};
    FixLog exact;
    for (std::int32_t tick = 20; tick <= 1500; tick += 20)
        exact.Add({tick, FixKind::Bearing, PredictedBearing(zig.At(tick), own, tick), 0});
    const FitAnalysis bent = Analyse(exact, own, Crossing, 1500, matched);
    ASSERT_TRUE(bent.Manoeuvre);
    const auto saved = TwoLegSavingAt(exact, own, Crossing, 900, matched);
    ASSERT_TRUE(saved);
    EXPECT_GT(bent.Manoeuvre->ChiSquare, 100);
    EXPECT_NEAR(*saved, bent.Manoeuvre->ChiSquare, 1e-6L * bent.Manoeuvre->ChiSquare);
    // The best split over all fixes saves at least as much as the neighbouring splits do.
    EXPECT_GE(bent.Manoeuvre->TwoLegSaving, *TwoLegSavingAt(exact, own, Crossing, 910, matched));
    EXPECT_TRUE(bent.Manoeuvre->TwoLegFires());

    // Any one of the three tests warns.
    ManoeuvreTest alone;
    alone.TwoLegSaving = 20;
    alone.TwoLegLimit = 13.5L;
    EXPECT_TRUE(alone.Fires() && !alone.ChiSquareFires() && !alone.CusumFires());

    // With noise, ten minutes after the zig, the best split lies at the turn.
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        const FitAnalysis noisy
            = Analyse(NoisyBearings(zig, own, 1500, seed), own, Crossing, 1500, matched);
        ASSERT_TRUE(noisy.Manoeuvre && noisy.Manoeuvre->NewLegTick);
        EXPECT_TRUE(noisy.Manoeuvre->TwoLegFires());
        EXPECT_NEAR(*noisy.Manoeuvre->NewLegTick, 900, 60);
    }
}

// Chosen with the two-leg limit above.
constexpr long double CalibratedTurnLimit = 13.5L;

TEST(ManoeuvreTest, TurnRatioExactOnTurnedBearingsNotOnASlowedTarget)
{
    const OwnShipTrack own = Track({{600, 0, 10}, {1500, 90, 10}});
    const FitSettings matched {0.58L, 5};
    // Without noise a turn at the right moment explains every bearing of a target that kept its
    // speed, but not those of one that also slowed down, which two legs still explain.
    const Truth turned {Crossing, 900, 0};
    FixLog exact;
    FixLog slowed;
    for (std::int32_t tick = 20; tick <= 1500; tick += 20) {
        exact.Add({tick, FixKind::Bearing, PredictedBearing(turned.At(tick), own, tick), 0});
        const TargetMotion slow
            = tick > 900 ? TargetMotion {Crossing.PositionAt(900), 900, 0, 6} : Crossing;
        slowed.Add({tick, FixKind::Bearing, PredictedBearing(slow, own, tick), 0});
    }
    const FitAnalysis bent = Analyse(exact, own, Crossing, 1500, matched);
    ASSERT_TRUE(bent.Manoeuvre);
    const auto saved = TurnSavingAt(exact, own, Crossing, 900, matched);
    ASSERT_TRUE(saved);
    EXPECT_GT(bent.Manoeuvre->ChiSquare, 100);
    EXPECT_NEAR(*saved, bent.Manoeuvre->ChiSquare, 1e-6L * bent.Manoeuvre->ChiSquare);
    EXPECT_TRUE(bent.Manoeuvre->TurnFires());
    EXPECT_NEAR(*bent.Manoeuvre->NewLegTick, 900, 20);
    const long double slowChi = Analyse(slowed, own, Crossing, 1500, matched).Manoeuvre->ChiSquare;
    EXPECT_LT(*TurnSavingAt(slowed, own, Crossing, 900, matched), 0.95L * slowChi);
    EXPECT_NEAR(*TwoLegSavingAt(slowed, own, Crossing, 900, matched), slowChi, 1e-6L * slowChi);

    // Alone it warns.
    ManoeuvreTest alone;
    alone.TurnSaving = 14;
    alone.TurnLimit = CalibratedTurnLimit;
    EXPECT_TRUE(alone.Fires() && !alone.TwoLegFires());
}

// On straight runs a split at a fixed moment saves χ² with two degrees (mean 2) in σ² for two
// legs and with one degree (mean 1) for a turn; the best split of either over the window stays
// under its limit on every solve of a run (each limit allows about 1 % of solves), and the limits
// in force are the calibrated ones.
TEST(ManoeuvreTest, TwoLegsAndTurnQuietOnStraightRunsAtTheCalibratedLimits)
{
    const OwnShipTrack own = Track({{600, 0, 10}, {1500, 90, 10}});
    const FitSettings matched {0.58L, 5};
    const Truth straight {Crossing};
    long double twoLegs = 0;
    long double turn = 0;
    constexpr int Runs = 100;
    for (std::uint64_t seed = 1; seed <= Runs; ++seed) {
        const FixLog log = NoisyBearings(straight, own, 1500, seed);
        twoLegs += TwoLegSavingAt(log, own, Crossing, 1000, matched).value_or(-100);
        turn += TurnSavingAt(log, own, Crossing, 1000, matched).value_or(-100);
    }
    EXPECT_NEAR(twoLegs / Runs, 2, 0.6);
    EXPECT_NEAR(turn / Runs, 1, 0.35);
    const FixLog all = NoisyBearings(straight, own, 1500, 1);
    FixLog growing;
    for (const Fix &fix : all.Fixes()) {
        growing.Add(fix);
        if (fix.Tick < 700)
            continue;
        const FitAnalysis a = Analyse(growing, own, Crossing, fix.Tick, matched);
        ASSERT_TRUE(a.Manoeuvre);
        EXPECT_EQ(a.Manoeuvre->TwoLegLimit, CalibratedTwoLegLimit);
        EXPECT_EQ(a.Manoeuvre->TurnLimit, CalibratedTurnLimit);
        EXPECT_GT(a.Manoeuvre->TwoLegSaving, 0);
        EXPECT_GT(a.Manoeuvre->TurnSaving, 0);
        EXPECT_FALSE(a.Manoeuvre->TwoLegFires() || a.Manoeuvre->TurnFires()) << fix.Tick;
    }
}

TEST(EstimatedDistances, KeptOutOfTheFitUntilMarkedMeasured)
{
    const OwnShipTrack own = Track(OneLeg);
    FixLog log = Fixes({Crossing}, own, 30, 600);
    const FitSolution measured = std::get<FitSolution>(Fit(log, own, Crossing, 1200));
    // A guessed distance 20 cables out, at the start.
    FixLog guessed;
    guessed.Add(
        {10, FixKind::Distance, PredictedDistance(Crossing, own, 10) + 20, std::nullopt, true});
    for (const Fix &fix : log.Fixes())
        guessed.Add(fix);
    EXPECT_FALSE(FitUses(guessed, guessed.Fixes().front()));
    const FitSolution kept = std::get<FitSolution>(Fit(guessed, own, Crossing, 1200));
    EXPECT_EQ(kept.Distance, measured.Distance);
    EXPECT_EQ(kept.Used, measured.Used);
    // Marked as measured, it pulls the fit.
    guessed.SetEstimate(0, false);
    const FitSolution pulled = std::get<FitSolution>(Fit(guessed, own, Crossing, 1200));
    EXPECT_EQ(pulled.Used, measured.Used + 1);
    EXPECT_GT(std::fabs(pulled.Distance - measured.Distance), 0.5L);
    // A guess alone does not make bearings from one leg solvable.
    FixLog onlyGuess = Fixes({Crossing}, own, 30);
    onlyGuess.Add({1200, FixKind::Distance, 50, std::nullopt, true});
    EXPECT_EQ(std::get<FitFailure>(Fit(onlyGuess, own, Crossing, 1200)),
        FitFailure::OwnShipNotManoeuvred);
    EXPECT_FALSE(OwnShipManoeuvredOverFixes(onlyGuess, own));
    EXPECT_TRUE(
        OwnShipManoeuvredOverFixes(Fixes({Crossing}, Track(TurnAt600), 30), Track(TurnAt600)));
}

TEST(SteeringAdvice, FollowingItFixesTheDistanceBetterThanTheOppositeTurn)
{
    const std::vector<OwnLegPlan> straight {{600, 0, 10}};
    const OwnShipTrack before = Track(straight);
    const TargetMotion target {{30, 40}, 0, 250, 12};
    // The operator's trial: 10 cables short, 30° off in course, slow.
    const SeaPoint at = target.PositionAt(600);
    const TargetMotion trial {{at.East * 0.8L, at.North * 0.8L}, 600, 280, 8};
    const FitSettings matched {0.58L, 5};

    long double advisedSquares = 0;
    long double oppositeSquares = 0;
    std::optional<long double> advisedCourse;
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        const FixLog log = NoisyBearings({target}, before, 600, seed);
        ASSERT_EQ(std::get<FitFailure>(Fit(log, before, trial, 600, matched)),
            FitFailure::OwnShipNotManoeuvred);
        const auto advice = AdviseCourse(log, before, trial, 600, matched, 5, BearingInterval(log));
        ASSERT_TRUE(advice);
        EXPECT_EQ(BearingInterval(log), 20);
        EXPECT_EQ(advice->Minutes, 5);
        EXPECT_FALSE(advice->SdDistanceAhead); // one leg on: still no distance
        EXPECT_NE(advice->Course, 0);
        EXPECT_LT(advice->SdDistance, 0.3L * 50);
        advisedCourse = advice->Course;
        // Five minutes on the advised course, or turned as far the other way.
        const long double opposite = std::fmod(360 - advice->Course, 360.0L);
        for (const long double course : {advice->Course, opposite}) {
            const OwnShipTrack own = Track({{600, 0, 10}, {900, course, 10}});
            FixLog more = log;
            const FixLog after = NoisyBearings({target}, own, 900, seed + 100, 620);
            for (const Fix &fix : after.Fixes())
                more.Add(fix);
            const FitResult result = Fit(more, own, trial, 900, matched);
            const long double truth = PredictedDistance(target, own, 900);
            const auto *fit = std::get_if<FitSolution>(&result);
            const long double error = fit ? fit->Distance - truth : truth;
            (course == advice->Course ? advisedSquares : oppositeSquares) += error * error;
        }
    }
    // The advice holds still as the noise changes, and pays.
    EXPECT_TRUE(advisedCourse);
    EXPECT_LT(advisedSquares, oppositeSquares) << "advised " << static_cast<double>(*advisedCourse);
}

TEST(SteeringAdvice, NothingToAdviseWithoutSpeedOrTime)
{
    const OwnShipTrack stopped = Track({{600, 0, 0}});
    const FixLog log = Fixes({Crossing}, stopped, 30);
    EXPECT_FALSE(AdviseCourse(log, stopped, Crossing, 600, {}, 5, 30));
    const OwnShipTrack moving = Track(OneLeg);
    EXPECT_FALSE(AdviseCourse(log, moving, Crossing, 1200, {}, 0, 30));
    EXPECT_TRUE(AdviseCourse(log, moving, Crossing, 1200, {}, 5, 30));
    EXPECT_EQ(BearingInterval({}), 30);
}

TEST(Residuals, RightTrialNearZeroWrongOneGrowsWithAge)
{
    const OwnShipTrack own = Track(OneLeg);
    const FixLog log = Fixes({Crossing}, own, 60);
    const SeaPoint now = Crossing.PositionAt(1200);
    const TargetMotion right {now, 1200, Crossing.Course, Crossing.Speed};
    const TargetMotion wrong {now, 1200, Crossing.Course + 20, Crossing.Speed};

    const auto summary = SummariseBearingResiduals(log, right, own);
    ASSERT_TRUE(summary);
    EXPECT_LT(summary->Largest, 1e-9);
    EXPECT_EQ(summary->Light, FitLight::Green);
    EXPECT_EQ(summary->Count, 20u);

    long double newer = -1; // the fix at the present tick misses by nothing
    for (auto fix = log.Fixes().rbegin(); fix != log.Fixes().rend(); ++fix) {
        const long double miss = std::fabs(*Residual(*fix, wrong, own));
        EXPECT_GT(miss, newer) << "tick " << fix->Tick;
        newer = miss;
    }
    EXPECT_EQ(SummariseBearingResiduals(log, wrong, own)->Light, FitLight::Red);
    FixLog presentLeg = log;
    presentLeg.NewLegTick = 1140;
    EXPECT_EQ(SummariseBearingResiduals(presentLeg, wrong, own)->Count, 2u);
}

TEST(Residuals, SummaryFoldingAndDistances)
{
    const OwnShipTrack own = Track({{100, 0, 0}});
    const TargetMotion north {{0, 50}, 0, 0, 0};
    FixLog log;
    for (const long double miss : {1.0L, -2.0L, 0.5L})
        log.Add({10, FixKind::Bearing, miss, 0});
    log.Add({20, FixKind::Distance, 53, 0});
    const auto summary = SummariseBearingResiduals(log, north, own);
    ASSERT_TRUE(summary);
    EXPECT_NEAR(static_cast<double>(summary->Rms), std::sqrt(5.25 / 3), 1e-12);
    EXPECT_EQ(summary->Largest, -2);
    EXPECT_EQ(summary->Light, FitLight::Amber);
    EXPECT_EQ(summary->Count, 3u);
    EXPECT_EQ(*Residual({20, FixKind::Distance, 53, 0}, north, own), 3);
    // Across north: 359 against a bearing of 1 is -2, and 1 against 359 is +2.
    const long double east = 50 * std::tan(3.14159265358979323846L / 180);
    for (const long double side : {1, -1}) {
        const TargetMotion target {{side * east, 50}, 0, 0, 0};
        const Fix fix {0, FixKind::Bearing, side > 0 ? 359.0L : 1.0L, 0};
        EXPECT_NEAR(static_cast<double>(*Residual(fix, target, own)), -2 * side, 1e-12);
    }
    EXPECT_FALSE(Residual({0, FixKind::Bearing, 1, 0}, TargetMotion {}, own));
    FixLog distancesOnly;
    distancesOnly.Add({20, FixKind::Distance, 53, 0});
    EXPECT_FALSE(SummariseBearingResiduals(distancesOnly, north, own));
}

TEST(Residuals, FoldAndLight)
{
    const struct
    {
        long double In, Folded;
    } folds[] {{-358, 2}, {358, -2}, {180, 180}, {-180, 180}, {540, 180}, {-721, -1}, {0, 0}};
    for (const auto &f : folds)
        EXPECT_EQ(FoldBearing(f.In), f.Folded) << static_cast<double>(f.In);
    const struct
    {
        long double Rms;
        FitLight Light;
    } lights[] {{0, FitLight::Green}, {1, FitLight::Green}, {1.01L, FitLight::Amber},
        {3, FitLight::Amber}, {3.01L, FitLight::Red}};
    for (const auto &l : lights)
        EXPECT_EQ(LightOf(l.Rms), l.Light) << static_cast<double>(l.Rms);
}

TEST(TrialMotion, BoardOffsetFromOwnShipsTruePosition)
{
    const OwnShipTrack own = OwnShipTrack::FromLegs({{0, {3, 4}, 0, 0}}, 50);
    TargetSlot slot;
    slot.PosX = 345; // 10 cables east
    slot.PosY = 305; // 10 cables north
    slot.TargetCourse = 90;
    slot.TargetSpeed = 36; // a cable in 10 s
    const TargetMotion trial = TrialMotion(slot, own, 50);
    EXPECT_EQ(trial.At.East, 13);
    EXPECT_EQ(trial.At.North, 14);
    EXPECT_NEAR(static_cast<double>(PredictedBearing(trial, own, 50)), 45, 1e-12);
    EXPECT_NEAR(static_cast<double>(PredictedDistance(trial, own, 40)), std::hypot(9, 10), 1e-12);
}

TEST(BearingRate, HandWorked)
{
    // 6/pi degrees a minute: 10 knots across at 50 cables is 1/1800 radian a second.
    const long double across = 6 / 3.14159265358979323846L;
    const struct
    {
        long double PosX, PosY, RelCourse, RelSpeed;
        std::optional<long double> Rate;
    } cases[] {
        {325, 225, 90, 10, across}, // north of own ship, running east: bearing grows
        {325, 225, 270, 10, -across}, {325, 225, 180, 10, 0}, // running straight in
        {425, 325, 0, 18, -0.1L * 180 / 3.14159265358979323846L * 60 / 100}, // east, running north
        {325, 325, 90, 10, std::nullopt}, // at own ship
    };
    for (const auto &c : cases) {
        TargetSlot slot;
        slot.PosX = c.PosX;
        slot.PosY = c.PosY;
        slot.RelCourse = c.RelCourse;
        slot.RelSpeed = c.RelSpeed;
        const std::optional<long double> rate = BearingRateDegreesPerMinute(slot);
        ASSERT_EQ(rate.has_value(), c.Rate.has_value()) << static_cast<double>(c.RelCourse);
        if (rate) {
            EXPECT_NEAR(static_cast<double>(*rate), static_cast<double>(*c.Rate), 1e-12);
        }
    }
}

} // namespace
} // namespace varmet
