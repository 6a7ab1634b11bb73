#include "model/trig.h"
#include "model/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace varmet {
namespace {

// Within 2 ulp of the library's value, relative to that value, even next to a zero of the
// function, where a poor reduction would show first.
void expectAgrees(long double got, long double expected, long double x)
{
    if (expected == 0) {
        ASSERT_EQ(got, expected) << "x = " << x;
        return;
    }
    const long double ulp = std::ldexp(1.0L, std::ilogb(expected) - 63);
    ASSERT_LE(std::fabs(got - expected), 2 * ulp) << "x = " << x;
}

std::vector<long double> arguments()
{
    std::vector<long double> xs;
    for (int i = -200000; i <= 200000; ++i) // a dense sweep of +-8 pi
        xs.push_back(i * (8 * Pi / 200000) + 1e-9L * (i % 13));
    for (int k = -32; k <= 32; ++k) { // multiples of pi/4 and their neighbours
        const long double m = k * (Pi / 4);
        xs.insert(xs.end(), {m, std::nextafter(m, -100.0L), std::nextafter(m, 100.0L)});
    }
    for (int q = -539; q <= 539; ++q) // whole degrees at the written degree factor
        xs.push_back(q * LeadDegreesToRadians);
    return xs;
}

TEST(TrigTest, AgreesWithTheLibraryFunctions)
{
    for (const long double x : arguments()) {
        const SinCos both = SinCosRadians(x);
        expectAgrees(both.sin, std::sin(x), x);
        expectAgrees(both.cos, std::cos(x), x);
        expectAgrees(SinRadians(x), std::sin(x), x);
    }
}

// Zero keeps its sign, as the library's does; far angles are left to the library.
TEST(TrigTest, ZeroAndFarAngles)
{
    EXPECT_TRUE(std::signbit(SinCosRadians(-0.0L).sin));
    EXPECT_EQ(SinCosRadians(0).cos, 1);
    EXPECT_EQ(SinRadians(1e6L), std::sin(1e6L));
    EXPECT_EQ(SinCosRadians(-1e6L).cos, std::cos(-1e6L));
}

} // namespace
} // namespace varmet
