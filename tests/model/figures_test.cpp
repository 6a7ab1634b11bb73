#include "model/figures.h"
#include "scenario.h"

#include <gtest/gtest.h>

namespace varmet {
namespace {

using test::Scenario;
using test::Solve;
using test::StarboardCrossing;

const PixelPoint Centre {325, 325};

struct VectorCase
{
    std::int32_t course;
    std::int32_t speed;
    PixelPoint tip;
    PixelPoint barb1;
    PixelPoint barb2;
};

class OwnShipVectorTest : public ::testing::TestWithParam<VectorCase>
{
};

TEST_P(OwnShipVectorTest, ShaftAndTwoBarbsPointingBack)
{
    const VectorCase &c = GetParam();
    const StrokeList strokes = OwnShipVector(c.course, OwnVelocity(c.course, c.speed));
    ASSERT_EQ(strokes.size(), 3u);
    EXPECT_EQ(strokes[0], (Stroke {Centre, c.tip, 2}));
    EXPECT_EQ(strokes[1], (Stroke {c.tip, c.barb1, 2}));
    EXPECT_EQ(strokes[2], (Stroke {c.tip, c.barb2, 2}));
}

INSTANTIATE_TEST_SUITE_P(Worked, OwnShipVectorTest,
    ::testing::Values(VectorCase {0, 10, {325, 305}, {320, 310}, {330, 310}},
        VectorCase {90, 10, {345, 325}, {340, 320}, {340, 330}},
        VectorCase {45, 10, {339, 311}, {334, 311}, {339, 316}},
        VectorCase {180, 0, {325, 325}, {330, 320}, {320, 320}}));

TEST(SolutionFiguresTest, MedianAndTrackMeetInTheWorkedCrossing)
{
    const TargetSlot slot = Solve(StarboardCrossing());
    const StrokeList median = MedianLine(slot, 19000);
    ASSERT_EQ(median.size(), 1u);
    EXPECT_EQ(median[0], (Stroke {Centre, {425, 302}, 1}));
    const StrokeList track = TrackAndWake(slot);
    ASSERT_EQ(track.size(), 2u);
    EXPECT_EQ(track[0], (Stroke {{425, 325}, {425, 302}, 1}));
    EXPECT_EQ(track[1].from, (PixelPoint {425, 302}));
    EXPECT_EQ(track[1].width, 3);
}

TEST(SolutionFiguresTest, WakeRunsBackAlongTheCourse)
{
    Scenario s = StarboardCrossing();
    s.wakeMetres = 2000; // 21.59 px
    const StrokeList track = TrackAndWake(Solve(s));
    ASSERT_EQ(track.size(), 2u);
    EXPECT_EQ(track[1], (Stroke {{425, 302}, {425, 324}, 3}));
}

TEST(SolutionFiguresTest, StationaryTargetHasNoWake)
{
    Scenario s = StarboardCrossing();
    s.targetSpeed = 0;
    s.wakeMetres = 2000;
    const TargetSlot slot = Solve(s);
    const StrokeList track = TrackAndWake(slot);
    ASSERT_EQ(track.size(), 1u);
    EXPECT_EQ(track[0], (Stroke {{425, 325}, {425, 325}, 1}));
}

TEST(SolutionFiguresTest, LimitsKeepTheMedianUndrawn)
{
    const TargetSlot slot = Solve(StarboardCrossing()); // 9497 m
    EXPECT_EQ(MedianLine(slot, 13967).size(), 1u); // usable run 9497.56 m
    EXPECT_TRUE(MedianLine(slot, 13966).empty()); // usable run 9496.88 m
    EXPECT_TRUE(MedianLine(slot, 0).empty());
    EXPECT_TRUE(TorpedoPair(slot, 0).empty());
}

TEST(SolutionFiguresTest, AbsentSolutionDrawsNoTorpedoFigures)
{
    Scenario s = StarboardCrossing();
    s.targetSpeed = 50; // outruns the torpedo
    s.wakeMetres = 1000;
    const TargetSlot slot = Solve(s);
    ASSERT_FALSE(slot.HasSolution);
    EXPECT_TRUE(MedianLine(slot, 19000).empty());
    EXPECT_TRUE(TorpedoPair(slot, 19000).empty());
    const StrokeList track = TrackAndWake(slot);
    ASSERT_EQ(track.size(), 2u);
    EXPECT_EQ(track[0].from, track[0].to); // a true track of length 0
}

TEST(SolutionFiguresTest, SecondTurnFigureRunsThroughTheTurnPoint)
{
    Scenario s = StarboardCrossing();
    s.wakeMetres = 1000;
    s.thetaSet = 90;
    s.deltaEtMetres = 1000;
    const TargetSlot slot = Solve(s);
    const StrokeList strokes = TorpedoPair(slot, 19000);
    ASSERT_EQ(strokes.size(), 4u);
    EXPECT_EQ(strokes[0].from, Centre);
    EXPECT_EQ(strokes[0].to, strokes[1].from);
    // The last leg runs Δet (10.8 px) on course 270 into the wake point.
    EXPECT_EQ(strokes[1].to.x - strokes[1].from.x, -11);
    EXPECT_EQ(strokes[1].to.y, strokes[1].from.y);
    // Drawn from separately rounded terms, the turn point stays within a pixel of the computed one.
    EXPECT_NEAR(static_cast<double>(strokes[0].to.x - 325), static_cast<double>(slot.TurnDx1), 1.5);
    EXPECT_NEAR(static_cast<double>(strokes[0].to.y - 325), static_cast<double>(slot.TurnDy1), 1.5);
}

} // namespace
} // namespace varmet
