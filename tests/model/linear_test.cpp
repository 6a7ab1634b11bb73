#include "model/figures.h"
#include "model/linear.h"
#include "scenario.h"

#include <gtest/gtest.h>

#include <array>

namespace varmet {
namespace {

using namespace test;

// What the linear block shows: "Мз", "ет", "W", "Fi" and "Alfa'" of torpedo 1, then of torpedo 2.
using PairDisplay = std::array<std::int64_t, 10>;

PairDisplay Displayed(const TargetSlot &s)
{
    const bool turn = s.HasSecondTurn();
    return {Shown(turn ? s.TurnBearing1 : s.SalvoMedian1),
        ShownMetres(turn ? s.TurnPath1Px : s.WakePath1Px), Shown(s.Omega1), Shown(s.LeadAngle1),
        Shown(s.SecondTurn1), Shown(turn ? s.TurnBearing2 : s.SalvoMedian2),
        ShownMetres(turn ? s.TurnPath2Px : s.WakePath2Px), Shown(s.Omega2), Shown(s.LeadAngle2),
        Shown(s.SecondTurn2)};
}

// The worked crossing with a wake of 1000 m, straight and with a second turn at 90 after 1000 m:
// the values shown and the figure drawn.
TEST(TorpedoPairTest, WorkedCrossing)
{
    Scenario s = Crossing;
    s.wakeMetres = 1000;
    s.thetaSet = 90;
    TargetSlot slot = Solve(s);
    EXPECT_EQ(Displayed(slot), (PairDisplay {79, 9445, 79, -11, 0, 82, 9359, 82, -8, 0}));
    const StrokeList straight = TorpedoPair(slot, 19000);
    ASSERT_EQ(straight.size(), 4u);
    EXPECT_EQ(straight[0], (Stroke {{325, 325}, {425, 305}, 1}));
    EXPECT_EQ(straight[1], (Stroke {{425, 305}, {425, 305}, 1})); // empty second segment
    EXPECT_EQ(straight[3].to, (PixelPoint {425, 310})); // torpedo 2 into the third quarter

    s.deltaEtMetres = 1000;
    slot = Solve(s);
    EXPECT_EQ(Displayed(slot), (PairDisplay {79, 10469, 79, -11, -169, 81, 10381, 81, -9, -171}));
    EXPECT_TRUE(TorpedoPair(slot, 0).empty()); // no run at all admits no first leg
    const StrokeList turned = TorpedoPair(slot, 19000);
    ASSERT_EQ(turned.size(), 4u);
    EXPECT_EQ(turned[0].from, (PixelPoint {325, 325}));
    EXPECT_EQ(turned[0].to, turned[1].from);
    // The last leg runs Δet (10.8 px) on course 270 into the wake point.
    EXPECT_EQ(turned[1].to, (PixelPoint {turned[1].from.x - 11, turned[1].from.y}));
    // Drawn from separately rounded terms, the turn point stays within a pixel of the computed one.
    EXPECT_NEAR(static_cast<double>(turned[0].to.x - 325), static_cast<double>(slot.TurnDx1), 1.5);
    EXPECT_NEAR(static_cast<double>(turned[0].to.y - 325), static_cast<double>(slot.TurnDy1), 1.5);

    // The second-turn angles follow the path the field shows, not the one the slot holds.
    ComputeTorpedoPair(slot, 0, 0);
    EXPECT_EQ(slot.SecondTurn1, 0);
    EXPECT_EQ(slot.SecondTurn2, 0);
}

// Target on the beam heading 350 with a meeting angle of 150: the last leg runs on 680 while the
// turn point bears about 77, a raw turn near 603 that takes a second fold.
TEST(TorpedoPairTest, SecondTurnAlwaysWithinHalfCircle)
{
    Scenario s = Target(90, 100, 350, 10);
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

// A target running straight at own ship meets the torpedo there, with torpedo 1's wake point at
// the centre: zero paths keep the previous course and bearing instead of dividing by zero.
TEST(TorpedoPairTest, ZeroWakePathKeepsThePreviousCourse)
{
    TargetSlot slot;
    slot.HasSolution = true;
    slot.PosX = 325;
    slot.PosY = 225;
    slot.TargetCourse = 180;
    slot.SalvoMedian1 = 42;
    slot.TurnBearing1 = 17;
    slot.TargetRunPx = 100;
    ComputeTorpedoPair(slot, 0, 0);
    EXPECT_EQ(slot.WakePath1Px, 0);
    EXPECT_EQ(slot.TurnPath1Px, 0);
    EXPECT_EQ(slot.SalvoMedian1, 42);
    EXPECT_EQ(slot.TurnBearing1, 17);
    EXPECT_EQ(slot.Omega1, 42);
}

} // namespace
} // namespace varmet
