#include "model/angles.h"
#include "model/figures.h"
#include "model/linear.h"
#include "scenario.h"

#include <gtest/gtest.h>

namespace varmet {
namespace {

using test::Scenario;
using test::Shown;
using test::ShownMetres;
using test::Solve;
using test::StarboardCrossing;

// What the linear block shows for one torpedo.
struct TorpedoDisplay
{
    std::int64_t course; // "Мз1"/"Мз2"
    std::int64_t metres; // "ет1"/"ет2"
    std::int64_t omega; // "W1"/"W2"
    std::int64_t lead; // "Fi1"/"Fi2"
    std::int64_t secondTurn; // "Alfa'1"/"Alfa'2"
    friend bool operator==(const TorpedoDisplay &, const TorpedoDisplay &) = default;
};

void PrintTo(const TorpedoDisplay &d, std::ostream *os)
{
    *os << "{" << d.course << ", " << d.metres << ", " << d.omega << ", " << d.lead << ", "
        << d.secondTurn << "}";
}

TorpedoDisplay Displayed(const TargetSlot &slot, int torpedo)
{
    const bool turn = slot.DeltaEtPx != 0;
    if (torpedo == 1) {
        return {Shown(turn ? slot.TurnBearing1 : slot.SalvoMedian1),
            ShownMetres(turn ? slot.TurnPath1Px : slot.WakePath1Px), Shown(slot.Omega1),
            Shown(slot.LeadAngle1), Shown(slot.SecondTurn1)};
    }
    return {Shown(turn ? slot.TurnBearing2 : slot.SalvoMedian2),
        ShownMetres(turn ? slot.TurnPath2Px : slot.WakePath2Px), Shown(slot.Omega2),
        Shown(slot.LeadAngle2), Shown(slot.SecondTurn2)};
}

struct PairCase
{
    const char *name;
    long double wakeMetres;
    long double theta;
    std::int32_t deltaEtMetres;
    TorpedoDisplay first;
    TorpedoDisplay second;
};

class TorpedoPairTest : public ::testing::TestWithParam<PairCase>
{
};

TEST_P(TorpedoPairTest, WorkedCrossingShowsTheWorkedValues)
{
    const PairCase &c = GetParam();
    Scenario s = StarboardCrossing();
    s.wakeMetres = c.wakeMetres;
    s.thetaSet = c.theta;
    s.deltaEtMetres = c.deltaEtMetres;
    const TargetSlot slot = Solve(s);
    ASSERT_TRUE(slot.HasSolution);
    EXPECT_EQ(Displayed(slot, 1), c.first);
    EXPECT_EQ(Displayed(slot, 2), c.second);
}

INSTANTIATE_TEST_SUITE_P(Worked, TorpedoPairTest,
    ::testing::Values(
        PairCase {"Straight", 1000, 90, 0, {79, 9445, 79, -11, 0}, {82, 9359, 82, -8, 0}},
        PairCase {
            "SecondTurn", 1000, 90, 1000, {79, 10469, 79, -11, -169}, {81, 10381, 81, -9, -171}}),
    [](const auto &info) { return info.param.name; });

TEST(TorpedoPairTest, StraightFigureEndsInTheWake)
{
    Scenario s = StarboardCrossing();
    s.wakeMetres = 1000;
    const TargetSlot slot = Solve(s);
    const StrokeList strokes = TorpedoPair(slot, 19000);
    ASSERT_EQ(strokes.size(), 4u);
    const PixelPoint centre {325, 325};
    EXPECT_EQ(strokes[0], (Stroke {centre, {425, 305}, 1}));
    EXPECT_EQ(strokes[1], (Stroke {{425, 305}, {425, 305}, 1})); // empty second segment
}

TEST(TorpedoPairTest, NoWakeGivesTheAngularSolutionTwice)
{
    Scenario s = StarboardCrossing();
    s.ownCourse = 30;
    const TargetSlot slot = Solve(s);
    EXPECT_EQ(slot.WakePath1Px, slot.TorpedoPathPx);
    EXPECT_EQ(slot.WakePath2Px, slot.TorpedoPathPx);
    // Folded from the unfolded course in extended precision, equal to the last bits.
    EXPECT_DOUBLE_EQ(slot.Omega1, slot.Omega);
    EXPECT_DOUBLE_EQ(slot.Omega2, slot.Omega);
    const StrokeList strokes = TorpedoPair(slot, 19000);
    ASSERT_EQ(strokes.size(), 4u);
    EXPECT_EQ(strokes[0], strokes[2]); // drawn twice with the not-xor pen, they cancel
    EXPECT_EQ(strokes[1], strokes[3]);
}

TEST(TorpedoPairTest, StraightCoursesShowUnfolded)
{
    // A stationary target just east of north with a correction that carries the median past 360.
    Scenario s;
    const BoardPointF at = PointAt(BoardCenter, BoardCenter, 359, 100);
    s.posX = at.x;
    s.posY = at.y;
    s.targetCourse = 90;
    s.correctionDegrees = 9;
    s.torpedoSpeed = 45;
    const TargetSlot slot = Solve(s);
    ASSERT_TRUE(slot.HasSolution);
    EXPECT_EQ(Shown(slot.SalvoMedian1), 368);
    EXPECT_EQ(Shown(slot.SalvoMedian), 8);
}

TEST(TorpedoPairTest, SecondTurnAnglesFollowTheShownPathOnly)
{
    Scenario s = StarboardCrossing();
    s.wakeMetres = 1000;
    s.thetaSet = 90;
    s.deltaEtMetres = 1000;
    TargetSlot slot = Solve(s);
    ASSERT_NE(slot.SecondTurn1, 0);
    ComputeTorpedoPair(slot, 0, 0); // the slot still holds its path, the field shows 0
    EXPECT_EQ(slot.SecondTurn1, 0);
    EXPECT_EQ(slot.SecondTurn2, 0);
}

// A raw turn of 540 or more is folded twice.
TEST(TorpedoPairTest, SecondTurnAlwaysWithinHalfCircle)
{
    // Target on the starboard beam heading 350 with a meeting angle of 150: the last leg runs on
    // 680 while the turn point bears about 77, a raw turn near 603.
    Scenario s = StarboardCrossing();
    s.targetCourse = 350;
    s.thetaSet = 150;
    s.deltaEtMetres = 100;
    const TargetSlot slot = Solve(s);
    ASSERT_TRUE(slot.HasSolution);
    const long double raw1 = (s.targetCourse + s.thetaSet + 180) - slot.TurnBearing1;
    ASSERT_GE(raw1, 540);
    EXPECT_EQ(slot.SecondTurn1, static_cast<double>(raw1 - 720));
    EXPECT_GE(slot.SecondTurn2, -180);
    EXPECT_LE(slot.SecondTurn2, 180);
}

TEST(TorpedoPairTest, ZeroWakePathKeepsThePreviousCourse)
{
    // Wake point at own ship: a target running straight at own ship, fired with a wake so long
    // that torpedo 1's point lies at the centre.
    TargetSlot slot;
    slot.HasSolution = true;
    slot.PosX = 325;
    slot.PosY = 225;
    slot.AcousticBearing = 0;
    slot.TargetCourse = 180;
    slot.TorpedoPathPx = 0;
    slot.WakeLengthPx = 0;
    slot.SalvoMedian1 = 42;
    slot.TurnBearing1 = 17;
    slot.TargetRunPx = 100; // meeting point at own ship: wake point there too
    ComputeTorpedoPair(slot, 0, 0);
    EXPECT_EQ(slot.WakePath1Px, 0);
    EXPECT_EQ(slot.SalvoMedian1, 42);
    EXPECT_EQ(slot.TurnPath1Px, 0);
    EXPECT_EQ(slot.TurnBearing1, 17);
    EXPECT_EQ(slot.Omega1, 42);
}

} // namespace
} // namespace varmet
