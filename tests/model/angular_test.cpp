#include "model/angles.h"
#include "model/angular.h"
#include "scenario.h"

#include <gtest/gtest.h>

#include <cmath>

namespace varmet {
namespace {

using test::Scenario;
using test::Shown;
using test::ShownFi;
using test::ShownMetres;
using test::Solve;
using test::StarboardCrossing;

double degrees(long double radians)
{
    return static_cast<double>(radians * 180 / Pi);
}

void ExpectNoSolution(const TargetSlot &slot)
{
    EXPECT_FALSE(slot.HasSolution);
    EXPECT_EQ(slot.TorpedoPathPx, 0);
    EXPECT_EQ(slot.SalvoMedianRaw, 0);
    EXPECT_EQ(slot.SalvoMedian, 0);
    EXPECT_EQ(slot.Omega, 0);
    EXPECT_EQ(slot.TargetRunPx, 0);
    for (const long double value :
        {slot.WakePath1Px, slot.WakePath2Px, slot.TurnPath1Px, slot.TurnPath2Px, slot.SalvoMedian1,
            slot.SalvoMedian2, slot.TurnBearing1, slot.TurnBearing2, slot.TurnDx1, slot.TurnDy1,
            slot.TurnDx2, slot.TurnDy2, slot.LeadAngle1, slot.LeadAngle2})
        EXPECT_EQ(value, 0);
    for (const double value : {slot.Omega1, slot.Omega2, slot.SecondTurn1, slot.SecondTurn2})
        EXPECT_EQ(value, 0);
}

TEST(AngularSolutionTest, TargetToStarboardCrossingAhead)
{
    const TargetSlot slot = Solve(StarboardCrossing());
    ASSERT_TRUE(slot.HasSolution);
    EXPECT_NEAR(degrees(slot.LeadAngle), -12.84, 0.005);
    EXPECT_EQ(ShownFi(slot), -13);
    EXPECT_NEAR(static_cast<double>(slot.TorpedoPathPx), 102.56, 0.005);
    EXPECT_EQ(ShownMetres(slot.TorpedoPathPx), 9497);
    EXPECT_NEAR(slot.SalvoMedian, 77.16, 0.005);
    EXPECT_NEAR(slot.Omega, 77.16, 0.005);
    EXPECT_EQ(Shown(slot.SalvoMedian), 77);
    EXPECT_EQ(Shown(slot.Omega), 77);
    EXPECT_EQ(HeadingAngle(slot), -90);
    EXPECT_EQ(HeadingAngle(slot) + ShownFi(slot), -103); // "Тетта"
    EXPECT_NEAR(static_cast<double>(slot.TargetRunPx), 22.79, 0.005);
}

TEST(AngularSolutionTest, StationaryTargetFiresTheCorrectionAlone)
{
    Scenario s = StarboardCrossing();
    s.targetSpeed = 0;
    s.correctionDegrees = 3;
    const TargetSlot slot = Solve(s);
    ASSERT_TRUE(slot.HasSolution);
    EXPECT_EQ(slot.LeadAngle, 0);
    EXPECT_EQ(slot.LeadAngleCorr, slot.LeadCorrection);
    EXPECT_EQ(slot.TargetRunPx, 0);
    EXPECT_EQ(ShownFi(slot), 3);
}

TEST(AngularSolutionTest, SecondTurnLegAddsToTheTargetRun)
{
    Scenario s = StarboardCrossing();
    const long double plain = Solve(s).TargetRunPx;
    s.deltaEtMetres = 1000;
    EXPECT_NEAR(static_cast<double>(Solve(s).TargetRunPx - plain), 2.40, 0.005);
}

struct MedianFoldCase
{
    long double bearing; // of a stationary target 100 px out
    long double course;
    long double correction;
    std::int32_t ownCourse;
    long double raw;
    std::int64_t median;
    std::int64_t omega;
};

class MedianFoldTest : public ::testing::TestWithParam<MedianFoldCase>
{
};

TEST_P(MedianFoldTest, RawMedianFoldsIntoZeroTo360)
{
    const MedianFoldCase &c = GetParam();
    Scenario s;
    const BoardPointF at = PointAt(BoardCenter, BoardCenter, c.bearing, 100);
    s.posX = at.x;
    s.posY = at.y;
    s.targetCourse = c.course;
    s.correctionDegrees = c.correction;
    s.ownCourse = c.ownCourse;
    s.torpedoSpeed = 45;
    const TargetSlot slot = Solve(s);
    ASSERT_TRUE(slot.HasSolution);
    EXPECT_NEAR(static_cast<double>(slot.SalvoMedianRaw), static_cast<double>(c.raw), 1e-9);
    EXPECT_EQ(Shown(slot.SalvoMedian), c.median);
    EXPECT_EQ(Shown(slot.Omega), c.omega);
}

INSTANTIATE_TEST_SUITE_P(Folds, MedianFoldTest,
    ::testing::Values(MedianFoldCase {359, 90, 11, 350, 370, 10, 20},
        MedianFoldCase {0, 90, -5, 0, -5, 355, -5}, MedianFoldCase {90, 0, 0, 270, 90, 90, -180},
        MedianFoldCase {90, 0, 10, 0, 100, 100, 100}));

TEST(AngularSolutionTest, TorpedoSpeedZeroLeavesOnlyTheCorrection)
{
    Scenario s = StarboardCrossing();
    s.torpedoSpeed = 0;
    s.correctionDegrees = -7;
    const TargetSlot slot = Solve(s);
    EXPECT_TRUE(slot.HasLeadAngle);
    EXPECT_EQ(slot.LeadAngle, 0);
    EXPECT_EQ(ShownFi(slot), -7);
    ExpectNoSolution(slot);
}

TEST(AngularSolutionTest, TargetOutrunningTheTorpedoHasNoLeadAngle)
{
    Scenario s = StarboardCrossing();
    s.targetSpeed = 50;
    s.correctionDegrees = 4;
    const TargetSlot slot = Solve(s);
    EXPECT_FALSE(slot.HasLeadAngle);
    EXPECT_EQ(slot.LeadAngle, 0);
    EXPECT_EQ(slot.LeadAngleCorr, slot.LeadCorrection);
    ExpectNoSolution(slot);
}

TEST(AngularSolutionTest, TargetAsFastAsTheTorpedoOnTheBeamIsNeverCaught)
{
    Scenario s = StarboardCrossing();
    s.targetSpeed = 45; // lead angle of exactly 90: the median runs parallel to the track
    const TargetSlot slot = Solve(s);
    EXPECT_TRUE(slot.HasLeadAngle);
    ExpectNoSolution(slot);
}

TEST(AngularSolutionTest, MedianParallelToTheTrackMeetsNothing)
{
    // A stationary target on a course 170 degrees off the line of sight, and a correction of
    // -10: the median runs along the track, where the raw quotient is astronomically long.
    Scenario s = StarboardCrossing();
    s.targetCourse = 80;
    s.targetSpeed = 0;
    s.correctionDegrees = -10;
    ExpectNoSolution(Solve(s));
}

TEST(AngularSolutionTest, MedianCrossingTheTrackAsternMeetsNothing)
{
    Scenario s = StarboardCrossing();
    s.targetCourse = 80; // receding, 170 degrees off the line of sight
    s.correctionDegrees = 0;
    ASSERT_TRUE(Solve(s).HasSolution);
    s.correctionDegrees = -10;
    ExpectNoSolution(Solve(s));
}

TEST(AngularSolutionTest, AbsentSolutionClearsThePreviousTick)
{
    TargetSlot slot = Solve(StarboardCrossing());
    ASSERT_TRUE(slot.HasSolution);
    ComputeLeadAngle(slot, 0);
    ComputeAngularSolution(slot, 0, 0);
    ComputeTorpedoPair(slot, 0, 0);
    ExpectNoSolution(slot);
}

struct LineOfSightCase
{
    long double bearing;
    long double course;
    long double targetSpeed;
    long double pathPx; // 0: no solution
};

class LineOfSightTest : public ::testing::TestWithParam<LineOfSightCase>
{
};

// Target course equal to the bearing (stern chase) or its reciprocal (head-on), target 100 px out,
// torpedo 45 knots: the path follows from the closing speed.
TEST_P(LineOfSightTest, PathFromTheClosingSpeed)
{
    const LineOfSightCase &c = GetParam();
    Scenario s;
    const BoardPointF at = PointAt(BoardCenter, BoardCenter, c.bearing, 100);
    s.posX = RoundHalfEven(at.x);
    s.posY = RoundHalfEven(at.y);
    s.targetCourse = c.course;
    s.targetSpeed = c.targetSpeed;
    s.torpedoSpeed = 45;
    s.deltaEtMetres = 500;
    const TargetSlot slot = Solve(s);
    if (c.pathPx == 0) {
        ExpectNoSolution(slot);
        return;
    }
    ASSERT_TRUE(slot.HasSolution);
    EXPECT_NEAR(static_cast<double>(slot.TorpedoPathPx), static_cast<double>(c.pathPx), 1e-9);
    const long double run
        = c.targetSpeed / 45 * c.pathPx + c.targetSpeed * InputMetresToPx(500) / 45;
    EXPECT_NEAR(static_cast<double>(slot.TargetRunPx), static_cast<double>(run), 1e-9);
    EXPECT_NEAR(slot.Omega, static_cast<double>(ReduceOmega(c.bearing)), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(HeadOnAndSternChase, LineOfSightTest,
    ::testing::Values(LineOfSightCase {90, 270, 10, 100.0L * 45 / 55},
        LineOfSightCase {0, 180, 10, 100.0L * 45 / 55},
        LineOfSightCase {180, 0, 30, 100.0L * 45 / 75},
        LineOfSightCase {90, 90, 10, 100.0L * 45 / 35},
        LineOfSightCase {270, 270, 30, 100.0L * 45 / 15}, LineOfSightCase {0, 0, 0, 100},
        LineOfSightCase {90, 90, 45, 0}, LineOfSightCase {90, 90, 50, 0}));

TEST(LineOfSightTest, CorrectionTakesTheMedianOffTheLine)
{
    Scenario s = StarboardCrossing();
    s.targetCourse = 270;
    ASSERT_TRUE(Solve(s).HasSolution);
    s.correctionDegrees = 1;
    ExpectNoSolution(Solve(s));
}

TEST(LineOfSightTest, TargetAtTheCentreHasNoSolution)
{
    TargetSlot slot;
    slot.AcousticBearing = 90; // kept from before the target reached the centre
    slot.PosX = BoardCenter;
    slot.PosY = BoardCenter;
    slot.TargetCourse = 270;
    slot.TargetSpeed = 10;
    UpdateRangeAndBearing(slot);
    ComputeLeadAngle(slot, 45);
    ComputeAngularSolution(slot, 0, 45);
    EXPECT_FALSE(slot.HasSolution);
}

TEST(LineOfSightTest, JoinsTheCrossingSolutionOneDegreeOff)
{
    Scenario s = StarboardCrossing();
    s.targetCourse = 270;
    const long double headOn = Solve(s).TorpedoPathPx;
    for (const long double course : {269.0L, 271.0L}) {
        s.targetCourse = course;
        const TargetSlot slot = Solve(s);
        ASSERT_TRUE(slot.HasSolution);
        EXPECT_NEAR(static_cast<double>(slot.TorpedoPathPx), static_cast<double>(headOn), 0.1);
    }
}

struct DrawableCase
{
    long double omega;
    long double metres;
    std::int32_t maxRun;
    bool drawable;
};

class IsDrawableTest : public ::testing::TestWithParam<DrawableCase>
{
};

TEST_P(IsDrawableTest, BothLimitsStrict)
{
    const DrawableCase &c = GetParam();
    const long double pathPx = c.metres / PathMetresPerCable * 2;
    EXPECT_EQ(IsDrawable(c.omega, pathPx, c.maxRun), c.drawable);
}

INSTANTIATE_TEST_SUITE_P(Limits, IsDrawableTest,
    ::testing::Values(DrawableCase {159.9L, 1000, 19000, true},
        DrawableCase {-159.9L, 1000, 19000, true}, DrawableCase {160, 1000, 19000, false},
        DrawableCase {-160, 1000, 19000, false}, DrawableCase {0, 12919.99L, 19000, true},
        DrawableCase {0, 12920, 19000, false}, DrawableCase {0, 12920.01L, 19000, false},
        DrawableCase {0, 0, 0, false}));

} // namespace
} // namespace varmet
