#include "model/motion.h"
#include "model/units.h"

#include <gtest/gtest.h>

#include <cmath>

namespace varmet {
namespace {

struct VelocityCase
{
    std::int32_t course;
    std::int32_t speed;
    WholeVector velocity;
};

class VelocityTest : public ::testing::TestWithParam<VelocityCase>
{
};

TEST_P(VelocityTest, WholeKnotComponents)
{
    const VelocityCase &c = GetParam();
    EXPECT_EQ(OwnVelocity(c.course, c.speed), c.velocity);

    TargetSlot slot;
    slot.TargetCourse = c.course;
    slot.TargetSpeed = c.speed;
    UpdateTargetVelocity(slot);
    EXPECT_EQ(slot.TargetVelX, c.velocity.x);
    EXPECT_EQ(slot.TargetVelY, c.velocity.y);
}

INSTANTIATE_TEST_SUITE_P(Courses, VelocityTest,
    ::testing::Values(VelocityCase {0, 10, {0, -10}}, VelocityCase {90, 10, {10, 0}},
        VelocityCase {45, 10, {7, -7}}, VelocityCase {180, 10, {0, 10}},
        VelocityCase {270, 10, {-10, 0}}, VelocityCase {180, 0, {0, 0}},
        VelocityCase {135, 10, {7, 7}}, VelocityCase {300, 20, {-17, -10}}));

TEST(RelativeMotionTest, EqualVelocitiesKeepTheRelativeCourse)
{
    TargetSlot slot;
    slot.TargetVelX = 7;
    slot.TargetVelY = -7;
    slot.RelCourse = 123;
    slot.PosX = 400;
    slot.PosY = 200;
    UpdateRelativeMotion(slot, {7, -7});
    EXPECT_EQ(slot.RelSpeed, 0);
    EXPECT_EQ(slot.RelCourse, 123);
    AdvancePosition(slot);
    EXPECT_EQ(slot.PosX, 400);
    EXPECT_EQ(slot.PosY, 200);
}

TEST(RelativeMotionTest, StationaryTargetDriftsAstern)
{
    TargetSlot slot;
    slot.PosX = 325;
    slot.PosY = 300;
    UpdateRelativeMotion(slot, OwnVelocity(0, 10));
    EXPECT_EQ(slot.RelVelX, 0);
    EXPECT_EQ(slot.RelVelY, 10);
    EXPECT_EQ(slot.RelSpeed, 10);
    EXPECT_EQ(slot.RelCourse, 180);
    AdvancePosition(slot);
    EXPECT_NEAR(static_cast<double>(slot.PosY), 300 + 1.0 / 18, 1e-12);
    EXPECT_NEAR(static_cast<double>(slot.PosX), 325, 1e-12);
}

TEST(RelativeMotionTest, JustWestOfNorth)
{
    TargetSlot slot;
    slot.TargetVelX = -1;
    slot.TargetVelY = -100;
    UpdateRelativeMotion(slot, {0, 0});
    EXPECT_EQ(slot.RelSpeed, 100);
    EXPECT_EQ(slot.RelCourse, 359);
    slot.TargetVelX = 0;
    UpdateRelativeMotion(slot, {0, 0});
    EXPECT_EQ(slot.RelCourse, 0);
}

TEST(RelativeMotionTest, EighteenKnotsMoveSixtyPixelsInSixHundredTicks)
{
    TargetSlot slot;
    slot.PosX = 325;
    slot.PosY = 325;
    slot.TargetVelX = 18;
    UpdateRelativeMotion(slot, {0, 0});
    ASSERT_EQ(slot.RelCourse, 90);
    for (int tick = 0; tick < 60; ++tick)
        AdvancePosition(slot);
    EXPECT_NEAR(static_cast<double>(slot.PosX), 331, 1e-9);
    for (int tick = 60; tick < 600; ++tick)
        AdvancePosition(slot);
    EXPECT_NEAR(static_cast<double>(slot.PosX), 385, 1e-9);
    EXPECT_NEAR(static_cast<double>(slot.PosY), 325, 1e-9);
}

TEST(RangeAndBearingTest, TargetAtTheCentreKeepsItsBearing)
{
    TargetSlot slot;
    slot.PosX = 325;
    slot.PosY = 325;
    slot.AcousticBearing = 77;
    UpdateRangeAndBearing(slot);
    EXPECT_EQ(slot.DistancePx, 0);
    EXPECT_EQ(slot.AcousticBearing, 77);
}

TEST(RangeAndBearingTest, UnfixedSlotStandsInTheTopLeftCorner)
{
    TargetSlot slot;
    UpdateRangeAndBearing(slot);
    EXPECT_NEAR(static_cast<double>(slot.DistancePx), 459.62, 0.005);
    EXPECT_EQ(slot.AcousticBearing, 315);
}

TEST(RangeAndBearingTest, TargetOnTheStarboardBeam)
{
    TargetSlot slot;
    slot.PosX = 425;
    slot.PosY = 325;
    UpdateRangeAndBearing(slot);
    EXPECT_EQ(slot.DistancePx, 100);
    EXPECT_EQ(slot.AcousticBearing, 90);
}

} // namespace
} // namespace varmet
