#include "board_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace varmet::test {
namespace {

// End points around the centre in every direction, short and long, inside the board.
std::vector<PixelPoint> sweepEnds()
{
    std::vector<PixelPoint> ends;
    for (int dx = -9; dx <= 9; ++dx) {
        for (int dy = -9; dy <= 9; ++dy)
            ends.push_back({325 + dx, 325 + dy});
    }
    for (int dx = -300; dx <= 300; dx += 37) {
        ends.push_back({325 + dx, 25});
        ends.push_back({325 + dx, 624});
        ends.push_back({25, 325 + dx});
        ends.push_back({624, 325 + dx});
    }
    return ends;
}

TEST(LineRaster, ThinLineRunsFromItsStartUpToButExcludingItsEnd)
{
    const PixelPoint start {325, 325};
    for (const PixelPoint &end : sweepEnds()) {
        SCOPED_TRACE(testing::Message() << "to " << end.x << "," << end.y);
        const Visits visits = rasterise({start, end, 1});
        const std::int64_t dx = end.x - start.x;
        const std::int64_t dy = end.y - start.y;
        const auto steps = static_cast<std::size_t>(std::max(std::llabs(dx), std::llabs(dy)));
        EXPECT_EQ(visits.pixels.size(), steps);
        EXPECT_EQ(visits.calls, static_cast<int>(visits.pixels.size()));
        if (steps == 0)
            continue;
        EXPECT_TRUE(visits.pixels.count({325, 325}));
        EXPECT_FALSE(visits.pixels.count({static_cast<int>(end.x), static_cast<int>(end.y)}));
        // Every pixel lies within half a pixel of the ideal line along the minor axis.
        for (const auto &[x, y] : visits.pixels) {
            const long double major = std::llabs(dx) >= std::llabs(dy) ? x - 325.0L : y - 325.0L;
            const long double minor = std::llabs(dx) >= std::llabs(dy) ? y - 325.0L : x - 325.0L;
            const long double slope = std::llabs(dx) >= std::llabs(dy)
                ? static_cast<long double>(dy) / dx
                : static_cast<long double>(dx) / dy;
            EXPECT_LE(std::abs(minor - major * slope), 0.5L) << x << "," << y;
        }
    }
}

class WideLine : public testing::TestWithParam<int>
{
};

// A wide line is the union of squares stamped on the thin line, and visits each pixel once.
TEST_P(WideLine, IsTheUnionOfSquaresOnTheThinLineVisitedOnce)
{
    const int width = GetParam();
    const int low = -(width / 2);
    for (const PixelPoint &end : sweepEnds()) {
        const Stroke thin {{325, 325}, end, 1};
        PixelSet expected;
        for (const auto &[x, y] : rasterise(thin).pixels) {
            for (int i = 0; i < width; ++i) {
                for (int j = 0; j < width; ++j)
                    expected.insert({x + low + i, y + low + j});
            }
        }
        const Visits visits = rasterise({thin.from, thin.to, width});
        EXPECT_EQ(visits.pixels, expected) << "to " << end.x << "," << end.y;
        EXPECT_EQ(visits.calls, static_cast<int>(visits.pixels.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, WideLine, testing::Values(1, 2, 3, 5));

TEST(LineRaster, FarEndPointsAreClippedToTheBoardWithoutLosingTheLine)
{
    // A diagonal to a point a thousand billion pixels away covers the board's diagonal.
    PixelSet diagonal;
    for (int i = 325; i < 650; ++i)
        diagonal.insert({i, i});
    EXPECT_EQ(rasterise({{325, 325}, {1'000'000'000'000'000, 1'000'000'000'000'000}, 1}).pixels,
        diagonal);

    PixelSet row;
    for (int x = 0; x < 650; ++x)
        row.insert({x, 100});
    EXPECT_EQ(
        rasterise({{-1'000'000'000'000'000, 100}, {1'000'000'000'000'000, 100}, 1}).pixels, row);

    // The same far stroke always gives the same pixels; one that misses the board gives none.
    const Stroke steep {
        {-3'000'000'000'000, -7'000'000'000'001}, {3'000'000'000'017, 7'000'000'000'000}, 3};
    EXPECT_EQ(rasterise(steep).pixels, rasterise(steep).pixels);
    EXPECT_FALSE(rasterise(steep).pixels.empty());
    EXPECT_TRUE(
        rasterise({{-1'000'000'000'000'000, -5}, {1'000'000'000'000'000, -6}, 3}).pixels.empty());
}

TEST(LineRaster, ReportsTheRectangleHoldingItsPixels)
{
    LineRaster raster;
    for (const Stroke &stroke : {Stroke {{10, 600}, {700, -40}, 3}, Stroke {{5, 5}, {6, 9}, 2},
             Stroke {{640, 600}, {-30, 10}, 1}, Stroke {{100, 600}, {120, 10}, 1},
             Stroke {{3, 3}, {3, 3}, 3}}) {
        PixelSet pixels;
        const QRect area = raster.forEachPixel(stroke, {650, 650}, [&](int x, int y) {
            pixels.insert({x, y});
        });
        QRect bounding;
        for (const auto &[x, y] : pixels)
            bounding |= QRect(x, y, 1, 1);
        EXPECT_EQ(area, bounding);
    }
}

} // namespace
} // namespace varmet::test
