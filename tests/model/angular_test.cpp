#include "model/angles.h"
#include "model/angular.h"
#include "model/figures.h"
#include "scenario.h"

#include <gtest/gtest.h>

namespace varmet {
namespace {

using namespace test;

std::int64_t ShownFi(const TargetSlot &slot)
{
    return RoundToInt64(slot.LeadAngleCorr * DisplayRadiansToDegrees);
}

// The numbers shown and the figures drawn; the wake (2000 m, 21.59 px) changes no number.
TEST(AngularSolutionTest, TargetToStarboardCrossingAhead)
{
    Scenario s = Crossing;
    s.wakeMetres = 2000;
    const TargetSlot slot = Solve(s);
    ASSERT_TRUE(slot.HasSolution);
    EXPECT_NEAR(static_cast<double>(slot.LeadAngle * 180 / Pi), -12.84, 0.005);
    EXPECT_EQ(ShownFi(slot), -13);
    EXPECT_NEAR(static_cast<double>(slot.TorpedoPathPx), 102.56, 0.005);
    EXPECT_EQ(ShownMetres(slot.TorpedoPathPx), 9497);
    EXPECT_NEAR(slot.SalvoMedian, 77.16, 0.005);
    EXPECT_EQ(Shown(slot.SalvoMedian), 77);
    EXPECT_EQ(Shown(slot.Omega), 77);
    EXPECT_EQ(HeadingAngle(slot), -90);
    EXPECT_EQ(HeadingAngle(slot) + ShownFi(slot), -103); // "Тетта"
    EXPECT_NEAR(static_cast<double>(slot.TargetRunPx), 22.79, 0.005);

    const StrokeList median = MedianLine(slot, 19000);
    ASSERT_EQ(median.size(), 1u);
    EXPECT_EQ(median[0], (Stroke {{325, 325}, {425, 302}, 1}));
    const StrokeList track = TrackAndWake(slot);
    ASSERT_EQ(track.size(), 2u);
    EXPECT_EQ(track[0], (Stroke {{425, 325}, {425, 302}, 1}));
    EXPECT_EQ(track[1], (Stroke {{425, 302}, {425, 324}, 3}));
    // A usable run of 9497.56 m admits the path of 9497 m, one of 9496.88 m does not.
    EXPECT_EQ(MedianLine(slot, 13967).size(), 1u);
    EXPECT_TRUE(MedianLine(slot, 13966).empty());
    EXPECT_TRUE(TorpedoPair(slot, 0).empty());

    s.targetSpeed = 0; // a stationary target leaves no wake
    const StrokeList still = TrackAndWake(Solve(s));
    ASSERT_EQ(still.size(), 1u);
    EXPECT_EQ(still[0], (Stroke {{425, 325}, {425, 325}, 1}));
}

// Bearing, course and correction of a stationary target 100 px out, own course, then the raw and
// the shown median and omega, and "КУц". Without a wake both torpedoes run the median itself,
// their courses shown unfolded.
TEST(AngularSolutionTest, RawMedianFoldsIntoZeroTo360)
{
    const long double cases[][8]
        = {{359, 90, 11, 350, 370, 10, 20, 89}, {0, 90, -5, 0, -5, 355, -5, 90},
            {90, 0, 0, 270, 90, 90, -180, -90}, {270, 0, 0, 90, 270, 270, -180, 90}};
    for (const auto &[bearing, course, correction, ownCourse, raw, median, omega, q] : cases) {
        Scenario s = Target(bearing, 100, course);
        s.correctionDegrees = correction;
        s.ownCourse = static_cast<std::int32_t>(ownCourse);
        const TargetSlot slot = Solve(s);
        ASSERT_TRUE(slot.HasSolution) << raw;
        EXPECT_NEAR(static_cast<double>(slot.SalvoMedianRaw), static_cast<double>(raw), 1e-9);
        EXPECT_EQ(Shown(slot.SalvoMedian), median);
        EXPECT_EQ(Shown(slot.Omega), omega);
        EXPECT_EQ(HeadingAngle(slot), q);
        EXPECT_NEAR(static_cast<double>(slot.SalvoMedian1), static_cast<double>(raw), 1e-9);
        EXPECT_DOUBLE_EQ(slot.Omega1, slot.Omega);
        EXPECT_EQ(slot.WakePath2Px, slot.TorpedoPathPx);
    }
}

// Each case solved over the slot of the worked crossing, so that nothing of that solution may
// stay behind. Without a lead angle "Fi" shows the correction alone.
TEST(AngularSolutionTest, AbsentSolutionLeavesEveryResultZeroAndNoTorpedoFigure)
{
    const struct
    {
        const char *name;
        long double course, speed, correction;
        int torpedoSpeed;
        long double distancePx; // at bearing 90
        bool hasLeadAngle;
        std::int64_t fi;
    } cases[] = {{"torpedo speed 0", 0, 10, -7, 0, 100, true, -7},
        {"target outruns the torpedo", 0, 50, 4, 45, 100, false, 4},
        {"lead angle 90: median parallel to the track", 0, 45, 0, 45, 100, true, -90},
        {"median along the track", 80, 0, -10, 45, 100, true, -10},
        {"median crosses the track astern", 80, 10, -10, 45, 100, true, -12},
        {"correction off the line of sight", 270, 10, 1, 45, 100, true, 1},
        {"stern chase at equal speed", 90, 45, 0, 45, 100, true, 0},
        {"stern chase of a faster target", 90, 50, 0, 45, 100, true, 0},
        {"head-on at the centre, bearing kept", 270, 10, 0, 45, 0, true, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s = Target(90, c.distancePx, c.course, c.speed);
        s.correctionDegrees = c.correction;
        s.torpedoSpeed = c.torpedoSpeed;
        const TargetSlot slot = Solve(s, Solve(Crossing));
        EXPECT_FALSE(slot.HasSolution);
        EXPECT_EQ(slot.HasLeadAngle, c.hasLeadAngle);
        EXPECT_EQ(ShownFi(slot), c.fi);
        const long double results[]
            = {slot.TorpedoPathPx, slot.SalvoMedianRaw, slot.TargetRunPx, slot.SalvoMedian,
                slot.Omega, slot.WakePath1Px, slot.WakePath2Px, slot.TurnPath1Px, slot.TurnPath2Px,
                slot.SalvoMedian1, slot.SalvoMedian2, slot.TurnBearing1, slot.TurnBearing2,
                slot.TurnDx1, slot.TurnDy1, slot.TurnDx2, slot.TurnDy2, slot.LeadAngle1,
                slot.LeadAngle2, slot.Omega1, slot.Omega2, slot.SecondTurn1, slot.SecondTurn2};
        for (const long double value : results)
            EXPECT_EQ(value, 0);
        EXPECT_TRUE(MedianLine(slot, 19000).empty());
        EXPECT_TRUE(TorpedoPair(slot, 19000).empty());
        const Stroke track = TrackAndWake(slot)[0];
        EXPECT_EQ(track.from, track.to); // a true track of length 0
    }
}

// Head-on D·Vт/(Vт+Vц) and stern chase D·Vт/(Vт−Vц): bearing, course and speed of a target
// 100 px out, and the path. The leg after the second turn adds to the target's run.
TEST(AngularSolutionTest, AlongTheLineOfSightPathFromTheClosingSpeed)
{
    const long double cases[][4] = {{90, 270, 10, 100.0L * 45 / 55}, {180, 0, 30, 100.0L * 45 / 75},
        {90, 90, 10, 100.0L * 45 / 35}, {270, 270, 30, 100.0L * 45 / 15}, {0, 0, 0, 100}};
    for (const auto &[bearing, course, speed, path] : cases) {
        Scenario s = Target(bearing, 100, course, speed);
        s.deltaEtMetres = 500;
        const TargetSlot slot = Solve(s);
        ASSERT_TRUE(slot.HasSolution) << path;
        EXPECT_NEAR(static_cast<double>(slot.TorpedoPathPx), static_cast<double>(path), 1e-9);
        const long double run = speed / 45 * (path + InputMetresToPx(500));
        EXPECT_NEAR(static_cast<double>(slot.TargetRunPx), static_cast<double>(run), 1e-9);
        EXPECT_NEAR(slot.Omega, static_cast<double>(ReduceOmega(bearing)), 1e-9);
    }
}

// Omega, metres, maximum run and whether the line may be drawn.
TEST(AngularSolutionTest, DrawableWithinBothLimitsStrictly)
{
    const long double cases[][4] = {{159.9L, 1000, 19000, 1}, {160, 1000, 19000, 0},
        {-160, 1000, 19000, 0}, {0, 12919.99L, 19000, 1}, {0, 12920, 19000, 0}, {0, 0, 0, 0}};
    for (const auto &[omega, metres, maxRun, drawable] : cases) {
        const long double px = metres / PathMetresPerCable * 2;
        EXPECT_EQ(IsDrawable(omega, px, static_cast<std::int32_t>(maxRun)), drawable == 1)
            << omega << " " << metres << " " << maxRun;
    }
}

} // namespace
} // namespace varmet
