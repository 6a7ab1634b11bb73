#include "analysis/chi_square.h"
#include "analysis/hit_probability.h"

#include "model/units.h"

#include <gtest/gtest.h>

#include <cmath>

namespace varmet {
namespace {

TEST(ChiSquare, TablesAndTheirInverse)
{
    // Upper 1 % points from the printed tables.
    const struct
    {
        std::size_t Freedom;
        long double Limit;
    } table[] {{1, 6.6349L}, {2, 9.2103L}, {10, 23.2093L}, {26, 45.6417L}, {100, 135.8067L}};
    for (const auto &row : table) {
        SCOPED_TRACE(row.Freedom);
        EXPECT_NEAR(ChiSquareLimit(0.01L, row.Freedom), row.Limit, 1e-3L);
        EXPECT_NEAR(ChiSquareTail(row.Limit, row.Freedom), 0.01L, 1e-5L);
    }
    EXPECT_NEAR(ChiSquareTail(2, 2), std::exp(-1.0L), 1e-12L); // exp(-x/2) at two degrees
    EXPECT_EQ(ChiSquareTail(0, 5), 1);
}

// A fit that knows everything but an uncertainty stated by hand: the target 10 cables north of own
// ship at tick 0, at rest.
FitSolution KnownFit(long double sdEast, long double sdVelocityEast)
{
    FitSolution fit;
    fit.Motion = {{0, 10}, 0, 0, 0};
    fit.Distance = 10;
    fit.Covariance[0] = sdEast * sdEast;
    fit.Covariance[10] = sdVelocityEast * sdVelocityEast;
    return fit;
}

TEST(HitProbability, AgreesWithTheNormalLawAcrossTheTrack)
{
    // Fired due north at 40 knots: the torpedo passes the target's east offset at its closest.
    const Salvo salvo {0, {}, 0, 40, 50};
    const long double half = 50 / PathMetresPerCable;
    const long double expected = std::erf(half / (0.3L * std::sqrt(2.0L)));
    // By position: the offset's deviation is 0.3 cables.
    EXPECT_NEAR(HitProbability(KnownFit(0.3L, 0), salvo), expected, 0.03L);
    // By velocity: the torpedo takes 90 s to the target, which drifts 1/4 cable a knot east.
    EXPECT_NEAR(HitProbability(KnownFit(0, 1.2L), salvo), expected, 0.03L);
    // Certain and on the line, certain and off it.
    EXPECT_EQ(HitProbability(KnownFit(0, 0), salvo), 1);
    const Salvo wide {0, {}, 10, 40, 50};
    EXPECT_EQ(HitProbability(KnownFit(0, 0), wide), 0);
    // Too short a run never reaches the target.
    EXPECT_EQ(HitProbability(KnownFit(0, 0), Salvo {0, {}, 0, 40, 5}), 0);
    // Seeded: the same answer every time, another seed a slightly different one.
    const FitSolution fit = KnownFit(0.3L, 0);
    EXPECT_EQ(HitProbability(fit, salvo), HitProbability(fit, salvo));
    EXPECT_NE(HitProbability(fit, salvo, {4000, 7}), HitProbability(fit, salvo));
}

TEST(HitProbability, SalvoAimedOnTheTruthMeetsIt)
{
    OwnShipTrack own;
    for (std::int32_t tick = 1; tick <= 600; ++tick)
        own.Advance(tick, 30, 8);
    for (const long double course : {0.0L, 120.0L, 250.0L}) {
        SCOPED_TRACE(static_cast<double>(course));
        const TargetMotion target {{20, 25}, 0, course, 12};
        const auto salvo = SalvoAimedAt(target, own, 600, 30, 45, 9000);
        ASSERT_TRUE(salvo);
        EXPECT_LT(SalvoMiss(*salvo, target), 0.02L);
        // Aimed 10° off course the same salvo misses by cables.
        const TargetMotion other {{20, 25}, 0, course + 40, 12};
        EXPECT_GT(SalvoMiss(*salvo, other), 0.5L);
    }
    // No torpedo speed, no salvo.
    EXPECT_FALSE(SalvoAimedAt({{20, 25}, 0, 0, 12}, own, 600, 30, 0, 9000));
}

} // namespace
} // namespace varmet
