#include "model/angles.h"
#include "model/motion.h"
#include "model/numeric.h"
#include "model/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace varmet {
namespace {

struct DirectionCase
{
    long double dx;
    long double dy;
    long double direction;
};

class VectorDirectionTest : public ::testing::TestWithParam<DirectionCase>
{
};

TEST_P(VectorDirectionTest, WholeCompassDegrees)
{
    const DirectionCase &c = GetParam();
    const long double direction = VectorDirection(c.dx, c.dy);
    EXPECT_EQ(direction, c.direction) << c.dx << ", " << c.dy;
    EXPECT_FALSE(std::signbit(direction));
}

INSTANTIATE_TEST_SUITE_P(AxesAndDiagonals, VectorDirectionTest,
    ::testing::Values(DirectionCase {0, -1, 0}, DirectionCase {1, -1, 45}, DirectionCase {1, 0, 90},
        DirectionCase {1, 1, 135}, DirectionCase {0, 1, 180}, DirectionCase {-1, 1, 225},
        DirectionCase {-1, 0, 270}, DirectionCase {-1, -1, 315}, DirectionCase {-0.0L, -1, 0},
        DirectionCase {-0.0L, 1, 180}));

// North-west of north reads a full 360 less, and a vector a hair west of north reads 0, not 360.
INSTANTIATE_TEST_SUITE_P(NorthWest, VectorDirectionTest,
    ::testing::Values(DirectionCase {-1, -100, 359}, DirectionCase {-1, -200, 0},
        DirectionCase {-100, -1, 271}, DirectionCase {-1, -3, 342},
        DirectionCase {-325, -325, 315}));

INSTANTIATE_TEST_SUITE_P(OtherQuadrants, VectorDirectionTest,
    ::testing::Values(DirectionCase {1, -3, 18}, DirectionCase {3, -1, 72},
        DirectionCase {3, 1, 108}, DirectionCase {1, 3, 162}, DirectionCase {-1, 3, 198},
        DirectionCase {-3, 1, 252}, DirectionCase {1, -200, 0}, DirectionCase {1, 200, 180}));

TEST(VectorDirectionTest, EveryWholeDirectionComesBack)
{
    for (int degrees = 0; degrees < 360; ++degrees) {
        const BoardPointF p = PointAt(0, 0, degrees, 1000);
        EXPECT_EQ(VectorDirection(p.x, p.y), degrees) << degrees;
    }
}

struct FoldCase
{
    long double in;
    long double out;
};

class ReduceOmegaTest : public ::testing::TestWithParam<FoldCase>
{
};
TEST_P(ReduceOmegaTest, FoldsOnceIntoHalfOpenRange)
{
    EXPECT_EQ(ReduceOmega(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Table, ReduceOmegaTest,
    ::testing::Values(FoldCase {0, 0}, FoldCase {179.9L, 179.9L}, FoldCase {180, -180},
        FoldCase {181, -179}, FoldCase {-180, -180}, FoldCase {-181, 179}, FoldCase {-340, 20},
        FoldCase {495, 135}, FoldCase {-494, -134}));

class ReduceTurnTest : public ::testing::TestWithParam<FoldCase>
{
};
TEST_P(ReduceTurnTest, FoldsOnceBothEndsInclusive)
{
    EXPECT_EQ(ReduceTurn(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Table, ReduceTurnTest,
    ::testing::Values(FoldCase {0, 0}, FoldCase {179, 179}, FoldCase {180, -180},
        FoldCase {191, -169}, FoldCase {-180, 180}, FoldCase {-179, -179}, FoldCase {689, 329}));

class FoldDirectionTest : public ::testing::TestWithParam<FoldCase>
{
};
TEST_P(FoldDirectionTest, IntoZeroTo360)
{
    EXPECT_EQ(FoldDirection(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Table, FoldDirectionTest,
    ::testing::Values(FoldCase {370, 10}, FoldCase {-5, 355}, FoldCase {360, 0},
        FoldCase {359.5L, 359.5L}, FoldCase {0, 0}, FoldCase {-0.5L, 359.5L}));

class FoldHeadingAngleTest : public ::testing::TestWithParam<FoldCase>
{
};
TEST_P(FoldHeadingAngleTest, IntoMinus180To179)
{
    EXPECT_EQ(FoldHeadingAngle(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Table, FoldHeadingAngleTest,
    ::testing::Values(FoldCase {-90, -90}, FoldCase {179, 179}, FoldCase {-180, -180},
        FoldCase {-181, 179}, FoldCase {-539, -179}, FoldCase {-360, 0}));

struct FixCase
{
    long double bearing;
    long double cables;
    long double x;
    long double y;
};

class PlaceAtFixTest : public ::testing::TestWithParam<FixCase>
{
};

TEST_P(PlaceAtFixTest, OffsetsRoundedToWholePixels)
{
    TargetSlot slot;
    slot.FixBearing = GetParam().bearing;
    slot.FixDistance = GetParam().cables;
    PlaceAtFix(slot);
    EXPECT_EQ(slot.PosX, GetParam().x);
    EXPECT_EQ(slot.PosY, GetParam().y);
}

INSTANTIATE_TEST_SUITE_P(Fixes, PlaceAtFixTest,
    ::testing::Values(FixCase {0, 50, 325, 225}, FixCase {90, 50, 425, 325},
        FixCase {180, 50, 325, 425}, FixCase {270, 50, 225, 325}, FixCase {45, 50, 396, 254},
        FixCase {11, 50, 344, 227}, FixCase {90, 0, 325, 325}));

TEST(UnitsTest, InputMetresRoundTripThroughTheirOwnFactor)
{
    const long double wake = InputMetresToPx(2000);
    EXPECT_NEAR(static_cast<double>(wake), 21.5948, 1e-4);
    EXPECT_EQ(RoundToInt64(PxToInputMetres(wake)), 2000);
    // Shown as a computed path the same px read 185.2 m per cable.
    EXPECT_NEAR(static_cast<double>(PathMetres(InputMetresToPx(1000))), 999.84, 0.01);
}

} // namespace
} // namespace varmet

namespace varmet {
namespace {

// The table of whole degrees holds the values of the direct computation (which the compiler
// may fold into a correctly rounded constant, hence a unit in the last place of slack).
TEST(DegreeTrigTest, AgreesWithTheDirectComputation)
{
    constexpr long double lastPlaces = 1e-18L;
    for (long double degrees = -725; degrees <= 725; degrees += 0.5L) {
        const long double radians = DegreesToRadians(degrees);
        ASSERT_LE(std::fabs(CosDegrees(degrees) - std::cos(radians)), lastPlaces)
            << static_cast<double>(degrees);
        ASSERT_LE(std::fabs(SinDegrees(degrees) - std::sin(radians)), lastPlaces)
            << static_cast<double>(degrees);
    }
    EXPECT_TRUE(std::isnan(CosDegrees(std::numeric_limits<long double>::quiet_NaN())));
}

} // namespace
} // namespace varmet
