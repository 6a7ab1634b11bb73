#include "board_test_support.h"

#include "board/board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace varmet::test {
namespace {

// End points around the centre: all up to 9 px away, rays to the rim and beyond, one very far.
std::vector<PixelPoint> sweepEnds()
{
    std::vector<PixelPoint> ends;
    for (int i = 0; i < 19 * 19; ++i)
        ends.push_back({316 + i % 19, 316 + i / 19});
    for (int angle = 0; angle < 360; angle += 7) {
        const long double a = angle * std::numbers::pi_v<long double> / 180;
        for (const int length : {300, 900})
            ends.push_back({325 + std::llrintl(length * std::cos(a)),
                325 + std::llrintl(length * std::sin(a))});
    }
    ends.push_back({4'000'000'000'000'000, 640});
    return ends;
}

// A thin line runs from its start (included) up to its end (excluded), every pixel within half a
// pixel of the ideal line; a wider line is the union of w x w squares stamped on the thin one.
TEST(LineRaster, ThinLineFollowsTheIdealLineAndWideLinesStampSquaresOnIt)
{
    for (const PixelPoint &end : sweepEnds()) {
        const std::int64_t dx = end.x - 325;
        const std::int64_t dy = end.y - 325;
        if (std::llabs(dx) > 300 || std::llabs(dy) > 300)
            continue; // off the board
        SCOPED_TRACE(testing::Message() << "to " << end.x << "," << end.y);
        const PixelSet thin = rasterise({{325, 325}, end, 1});
        const std::int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
        EXPECT_EQ(thin.size(), static_cast<std::size_t>(steps));
        EXPECT_EQ(thin.count({325, 325}), thin.empty() ? 0u : 1u);
        EXPECT_EQ(thin.count({static_cast<int>(end.x), static_cast<int>(end.y)}), 0u);
        for (const auto &[x, y] : thin) // off the ideal line by at most half a pixel
            EXPECT_LE(2 * std::llabs((x - 325) * dy - (y - 325) * dx), steps) << x << "," << y;
        for (const int width : {2, 3, 5}) {
            PixelSet stamped;
            for (const auto &[x, y] : thin) {
                for (int i = 0; i < width * width; ++i)
                    stamped.insert({x - width / 2 + i % width, y - width / 2 + i / width});
            }
            EXPECT_EQ(rasterise({{325, 325}, end, width}), stamped) << "width " << width;
        }
    }
}

TEST(LineRaster, FarEndPointsAreClippedToTheBoardWithoutLosingTheLine)
{
    constexpr std::int64_t Far = 1'000'000'000'000'000;
    PixelSet diagonal, row;
    for (int i = 0; i < 650; ++i) {
        row.insert({i, 100});
        if (i >= 325)
            diagonal.insert({i, i});
    }
    EXPECT_EQ(rasterise({{325, 325}, {Far, Far}, 1}), diagonal);
    EXPECT_EQ(rasterise({{-Far, 100}, {Far, 100}, 1}), row);
    const Stroke steep {
        {-3'000'000'000'000, -7'000'000'000'001}, {3'000'000'000'017, 7'000'000'000'000}, 3};
    EXPECT_FALSE(rasterise(steep).empty());
    EXPECT_TRUE(rasterise({{-Far, -5}, {Far, -6}, 3}).empty());
}

// An inverting stroke flips each of its pixels once, within the area it reports changed, and the
// same call again restores the board.
TEST(BoardCanvas, StrokeDrawnTwiceLeavesEveryPixelAsItWas)
{
    Board board;
    BoardCanvas &canvas = board.canvas();
    const QImage grid = canvas.picture();
    for (const int width : {1, 2, 3}) {
        for (const PixelPoint &end : sweepEnds()) {
            const Stroke stroke {{325, 325}, end, width};
            SCOPED_TRACE(testing::Message()
                << "width " << width << " to " << stroke.to.x << "," << stroke.to.y);
            canvas.takeChangedArea();
            canvas.invertStroke(stroke, BoardColour::Magenta);
            const PixelSet changed = differences(grid, canvas.picture());
            EXPECT_EQ(changed, rasterise(stroke));
            const QRect area = canvas.takeChangedArea();
            EXPECT_TRUE(std::ranges::all_of(
                changed, [&](auto p) { return area.contains(p.first, p.second); }));
            canvas.invertStroke(stroke, BoardColour::Magenta);
            ASSERT_EQ(canvas.picture(), grid);
        }
    }
    canvas.takeChangedArea();
    EXPECT_TRUE(canvas.takeChangedArea().isNull());
}

TEST(BoardCanvas, NotXorRedIsRedOnWhiteAndCyanOnBlackAndAWhitePenChangesNothing)
{
    BoardCanvas canvas;
    canvas.setBrushColor(BoardColour::Black);
    canvas.fillRect(0, 0, 650, 100);
    canvas.setPenMode(PenMode::NotXorPen);
    canvas.setPenColor(BoardColour::Red);
    canvas.moveTo(10, 0);
    canvas.lineTo(10, 650);
    EXPECT_EQ(rgb(canvas.picture(), 10, 50), 0x00ffffu);
    EXPECT_EQ(rgb(canvas.picture(), 10, 300), 0xff0000u);
    const QImage before = canvas.picture();
    canvas.setPenColor(BoardColour::White);
    canvas.lineTo(640, 640);
    EXPECT_EQ(canvas.picture(), before);
    canvas.setPenColor(BoardColour::Red); // the white line still moved the pen
    canvas.lineTo(640, 600);
    EXPECT_EQ(rgb(canvas.picture(), 640, 620), 0xff0000u);
}

// The ellipse's rectangle corners are its extreme points: each ring is centred on (325, 325).
TEST(BoardCanvas, GridRingsCrossTheCentreRowAndColumnAtTheirRadius)
{
    for (const int inset : {25, 125, 225}) {
        BoardCanvas canvas;
        canvas.ellipse(inset, inset, 650 - inset, 650 - inset);
        std::vector<int> row, column;
        for (int i = 0; i < 650; ++i) {
            if (rgb(canvas.picture(), i, 325) == 0)
                row.push_back(i);
            if (rgb(canvas.picture(), 325, i) == 0)
                column.push_back(i);
        }
        EXPECT_EQ(row, (std::vector {inset, 650 - inset}));
        EXPECT_EQ(column, (std::vector {inset, 650 - inset}));
    }
}

TEST(BoardText, LabelsArePlainBlackAndTheBrushPaintsOnlyWhenSolid)
{
    Board board;
    BoardCanvas &canvas = board.canvas();
    canvas.replacePicture(BoardCanvas().picture()); // a blank sheet
    const QImage white = canvas.picture();
    canvas.setBrushColor(BoardColour::Yellow);
    canvas.setBrushStyle(BrushStyle::Clear);
    canvas.fillRect(10, 10, 20, 20);
    board.drawTargetLabel(QStringLiteral("7"), {100, 300});
    const PixelSet glyphs = differences(white, canvas.picture());
    BoardCanvas sign; // the label is the number after a number sign
    sign.textOut(100, 300, QStringLiteral("№7"));
    EXPECT_EQ(differences(white, sign.picture()), glyphs);
    EXPECT_FALSE(glyphs.empty());
    for (const auto &[x, y] : glyphs) { // no grey edge pixels, no box, no fill
        EXPECT_EQ(rgb(canvas.picture(), x, y), 0u) << x << "," << y;
        EXPECT_TRUE(x >= 100 && y >= 300) << x << "," << y;
    }
    canvas.setBrushColor(BoardColour::Yellow); // also makes the brush solid
    board.drawTargetLabel(QStringLiteral("7"), {120, 60}); // its box's top-left corner there
    EXPECT_EQ(rgb(canvas.picture(), 120, 60), 0xffff00u);
    EXPECT_EQ(rgb(canvas.picture(), 119, 60), 0xffffffu);
    EXPECT_EQ(rgb(canvas.picture(), 120, 59), 0xffffffu);
}

// What a label may paint lies within the area the board says it may paint (an undo keeps that
// area's pixels and only those): its filled box and every glyph.
TEST(BoardText, ALabelPaintsOnlyWithinItsArea)
{
    for (const QString &number :
        {QStringLiteral("7"), QStringLiteral("-1234567890"), QStringLiteral("WMjy@|")}) {
        Board board;
        BoardCanvas &canvas = board.canvas();
        canvas.replacePicture(BoardCanvas().picture());
        canvas.setBrushColor(BoardColour::Yellow);
        const QImage white = canvas.picture();
        const PixelPoint at {600, 3}; // near the edge: clipped, not moved
        const QRect area = board.targetLabelArea(number, at);
        board.drawTargetLabel(number, at);
        const PixelSet painted = differences(white, canvas.picture());
        EXPECT_FALSE(painted.empty());
        for (const auto &[x, y] : painted)
            EXPECT_TRUE(area.contains(x, y)) << number.toStdString() << " " << x << "," << y;
    }
    EXPECT_TRUE(Board().targetLabelArea(QStringLiteral("7"), {1LL << 40, 0}).isEmpty());
}

} // namespace
} // namespace varmet::test
