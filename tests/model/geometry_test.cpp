#include "model/angles.h"
#include "model/figures.h"
#include "model/motion.h"
#include "model/numeric.h"
#include "model/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace varmet {
namespace {

// North-west of north reads a full 360 less, and a vector a hair west of north reads 0, not 360.
TEST(AnglesTest, VectorDirectionInWholeCompassDegrees)
{
    const long double cases[][3] = {{0, -1, 0}, {-0.0L, -1, 0}, {1, 0, 90}, {1, 3, 162},
        {-0.0L, 1, 180}, {-1, 3, 198}, {-1, 0, 270}, {-100, -1, 271}, {-1, -1, 315},
        {-1, -100, 359}, {-1, -200, 0}, {1, -200, 0}, {1, 200, 180}};
    for (const auto &[dx, dy, expected] : cases) {
        const long double direction = VectorDirection(dx, dy);
        EXPECT_EQ(direction, expected) << dx << ", " << dy;
        EXPECT_FALSE(std::signbit(direction)) << dx << ", " << dy;
    }
    for (int degrees = 0; degrees < 360; ++degrees) {
        const ScreenVector v = ScreenAngle(degrees);
        EXPECT_EQ(VectorDirection(1000 * v.cos, 1000 * v.sin), degrees);
    }
}

void ExpectFolds(const char *name, long double (*fold)(long double),
    std::initializer_list<std::pair<long double, long double>> cases)
{
    for (const auto &[in, out] : cases)
        EXPECT_EQ(fold(in), out) << name << "(" << in << ")";
}

// Each folds once; which end of its range is open decides 180 and -180.
TEST(AnglesTest, EachFoldsOnceWithItsOwnEnds)
{
    ExpectFolds("ReduceOmega", ReduceOmega,
        {{179.9L, 179.9L}, {180, -180}, {-180, -180}, {-181, 179}, {495, 135}});
    ExpectFolds("ReduceTurn", ReduceTurn, {{179, 179}, {180, -180}, {-180, 180}, {-179, -179}});
    ExpectFolds("ReduceSecondTurn", ReduceSecondTurn,
        {{180, -180}, {-180, -180}, {539, 179}, {540, -180}, {689, -31}});
    ExpectFolds("FoldDirection", FoldDirection, {{370, 10}, {360, 0}, {0, 0}, {-0.5L, 359.5L}});
    ExpectFolds("FoldHeadingAngle", FoldHeadingAngle,
        {{179, 179}, {-180, -180}, {-181, 179}, {-539, -179}});
}

TEST(UnitsTest, InputMetresRoundTripThroughTheirOwnFactor)
{
    const long double wake = InputMetresToPx(2000);
    EXPECT_NEAR(static_cast<double>(wake), 21.5948, 1e-4);
    EXPECT_EQ(RoundToInt64(PxToInputMetres(wake)), 2000);
    // Shown as a computed path the same px read 185.2 m per cable.
    EXPECT_NEAR(static_cast<double>(PathMetres(InputMetresToPx(1000))), 999.84, 0.01);
}

// Target and own velocity, then relative speed and course, and where a target starting at the
// centre is 180 seconds later: RelSpeed px out along RelCourse.
TEST(MotionTest, RelativeMotionInWholeKnots)
{
    const long double cases[][8] = {{0, 0, 0, -10, 10, 180, 325, 335}, // drifts astern
        {18, 0, 0, 0, 18, 90, 343, 325},
        {7, -7, 7, -7, 0, 123, 325, 325}, // no relative speed keeps the course
        {-1, -100, 0, 0, 100, 359, 323.2547593562717L, 225.0152304843609L}};
    for (const auto &[tx, ty, ox, oy, speed, course, x, y] : cases) {
        TargetSlot slot;
        slot.TargetVelX = tx;
        slot.TargetVelY = ty;
        slot.RelCourse = 123;
        slot.PosX = slot.PosY = 325;
        UpdateRelativeMotion(slot, {static_cast<std::int32_t>(ox), static_cast<std::int32_t>(oy)});
        EXPECT_EQ(slot.RelSpeed, speed);
        EXPECT_EQ(slot.RelCourse, course);
        for (int tick = 0; tick < 180; ++tick)
            AdvancePosition(slot);
        EXPECT_NEAR(static_cast<double>(slot.PosX), static_cast<double>(x), 1e-9);
        EXPECT_NEAR(static_cast<double>(slot.PosY), static_cast<double>(y), 1e-9);
    }
}

// Bearing and cables of the operator's fix, the whole pixel the target is put on, and the
// distance and bearing from there. A target at the centre keeps the bearing it had.
TEST(MotionTest, FixThenRangeAndBearing)
{
    const long double cases[][6]
        = {{0, 50, 325, 225, 100, 0}, {90, 50, 425, 325, 100, 90}, {180, 50, 325, 425, 100, 180},
            {270, 50, 225, 325, 100, 270}, {45, 50, 396, 254, 100.409L, 45},
            {11, 50, 344, 227, 99.825L, 11}, {90, 0, 325, 325, 0, 77}};
    for (const auto &[fixBearing, cables, x, y, distance, bearing] : cases) {
        TargetSlot slot;
        slot.FixBearing = fixBearing;
        slot.FixDistance = cables;
        slot.AcousticBearing = 77;
        PlaceAtFix(slot);
        EXPECT_EQ(slot.PosX, x) << fixBearing;
        EXPECT_EQ(slot.PosY, y) << fixBearing;
        UpdateRangeAndBearing(slot);
        EXPECT_NEAR(static_cast<double>(slot.DistancePx), static_cast<double>(distance), 0.001);
        EXPECT_EQ(slot.AcousticBearing, bearing);
    }
}

// Course and speed, then the tip and the two barb ends of the own-ship vector: a shaft of 2 px
// per knot of the whole-knot velocity, and 5 px barbs pointing back. A target on the same course
// at the same speed has the same velocity.
TEST(MotionTest, WholeKnotVelocitiesAndOwnShipVector)
{
    const int cases[][8]
        = {{0, 10, 325, 305, 320, 310, 330, 310}, {45, 10, 339, 311, 334, 311, 339, 316},
            {90, 10, 345, 325, 340, 320, 340, 330}, {180, 0, 325, 325, 330, 320, 320, 320},
            {270, 10, 305, 325, 310, 330, 310, 320}, {300, 20, 291, 305, 291, 310, 296, 305}};
    for (const auto &[course, speed, tx, ty, x1, y1, x2, y2] : cases) {
        const WholeVector velocity = OwnVelocity(course, speed);
        EXPECT_EQ(velocity, (WholeVector {(tx - 325) / 2, (ty - 325) / 2})) << course;
        const StrokeList strokes = OwnShipVector(course, velocity);
        ASSERT_EQ(strokes.size(), 3u);
        EXPECT_EQ(strokes[0], (Stroke {{325, 325}, {tx, ty}, 2})) << course;
        EXPECT_EQ(strokes[1], (Stroke {{tx, ty}, {x1, y1}, 2})) << course;
        EXPECT_EQ(strokes[2], (Stroke {{tx, ty}, {x2, y2}, 2})) << course;
        TargetSlot slot;
        slot.TargetCourse = course;
        slot.TargetSpeed = speed;
        UpdateTargetVelocity(slot);
        EXPECT_EQ(slot.TargetVelX, velocity.x) << course;
        EXPECT_EQ(slot.TargetVelY, velocity.y) << course;
    }
}

} // namespace
} // namespace varmet
