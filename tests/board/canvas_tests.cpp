#include "board_test_support.h"

#include "board/board.h"

#include <gtest/gtest.h>

#include <vector>

namespace varmet::test {
namespace {

constexpr QRgb RgbOf(QRgb colour)
{
    return colour & 0x00ffffff;
}

std::vector<Stroke> sweepStrokes(int width)
{
    std::vector<Stroke> strokes;
    for (int angle = 0; angle < 360; angle += 7) {
        for (const int length : {0, 1, 2, 5, 40, 300, 900}) {
            const long double a = angle * 3.14159265358979L / 180;
            strokes.push_back({{325, 325},
                {325 + std::llrintl(length * std::cos(a)),
                    325 + std::llrintl(length * std::sin(a))},
                width});
        }
    }
    strokes.push_back({{-5'000'000'000'000'000, 17}, {4'000'000'000'000'000, 640}, width});
    strokes.push_back({{600, 10}, {600, 10}, width});
    return strokes;
}

class StrokeOverGrid : public testing::TestWithParam<int>
{
};

// An inverting stroke flips each of its pixels once, and the same call again restores the board.
TEST_P(StrokeOverGrid, DrawnTwiceLeavesEveryPixelAsItWas)
{
    Board board;
    BoardCanvas &canvas = board.canvas();
    const QImage grid = canvas.picture();
    for (const Stroke &stroke : sweepStrokes(GetParam())) {
        canvas.invertStroke(stroke, BoardColour::Magenta);
        EXPECT_EQ(differences(grid, canvas.picture()), rasterise(stroke).pixels);
        canvas.invertStroke(stroke, BoardColour::Magenta);
        ASSERT_EQ(canvas.picture(), grid) << stroke.to.x << "," << stroke.to.y;
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, StrokeOverGrid, testing::Values(1, 2, 3));

TEST(BoardCanvas, NotXorPenPaintsItsColourOnWhiteAndTheInverseOnBlack)
{
    BoardCanvas canvas;
    canvas.setBrushColor(BoardColour::Black);
    canvas.fillRect(0, 0, 650, 100);
    canvas.setPenMode(PenMode::NotXorPen);
    canvas.setPenColor(BoardColour::Red);
    canvas.moveTo(10, 0);
    canvas.lineTo(10, 650);
    EXPECT_EQ(rgb(canvas.picture(), 10, 50), 0x00ffffu); // cyan over black
    EXPECT_EQ(rgb(canvas.picture(), 10, 300), RgbOf(BoardColour::Red));

    const QImage before = canvas.picture();
    canvas.setPenColor(BoardColour::White);
    canvas.moveTo(0, 0);
    canvas.lineTo(640, 640);
    EXPECT_EQ(canvas.picture(), before);
    EXPECT_EQ(canvas.penPosition(), (PixelPoint {640, 640}));
}

TEST(BoardCanvas, CopyPenPaintsUnderTheLiveStrokes)
{
    BoardCanvas canvas;
    const Stroke live {{0, 200}, {650, 200}, 3};
    canvas.invertStroke(live, BoardColour::Blue);
    canvas.setPenWidth(2);
    canvas.moveTo(300, 0);
    canvas.lineTo(300, 650);
    canvas.setBrushColor(BoardColour::Yellow);
    canvas.fillRect(100, 195, 110, 205);
    EXPECT_EQ(rgb(canvas.picture(), 300, 200), 0xffff00u); // black under a blue not-xor stroke
    EXPECT_EQ(rgb(canvas.picture(), 105, 200), 0u); // NOT(yellow XOR blue)

    canvas.invertStroke(live, BoardColour::Blue);
    EXPECT_EQ(canvas.picture(), canvas.permanentPicture());
    EXPECT_EQ(rgb(canvas.picture(), 300, 200), 0u);
    EXPECT_EQ(rgb(canvas.picture(), 105, 200), RgbOf(BoardColour::Yellow));
}

class Ring : public testing::TestWithParam<int>
{
};

// The ellipse's rectangle corners are its extreme points: each ring is centred on (325, 325).
TEST_P(Ring, CrossesTheCentreRowAndColumnAtItsRadius)
{
    const int inset = GetParam();
    BoardCanvas canvas;
    canvas.ellipse(inset, inset, 650 - inset, 650 - inset);
    std::vector<int> rowHits;
    std::vector<int> columnHits;
    for (int i = 0; i < 650; ++i) {
        if (rgb(canvas.picture(), i, 325) == 0)
            rowHits.push_back(i);
        if (rgb(canvas.picture(), 325, i) == 0)
            columnHits.push_back(i);
    }
    EXPECT_EQ(rowHits, (std::vector<int> {inset, 650 - inset}));
    EXPECT_EQ(columnHits, (std::vector<int> {inset, 650 - inset}));
}

INSTANTIATE_TEST_SUITE_P(Grid, Ring, testing::Values(25, 125, 225));

TEST(BoardCanvas, FillsWithASolidBrushOnly)
{
    BoardCanvas canvas;
    const QImage white = canvas.picture();
    canvas.setBrushStyle(BrushStyle::Clear);
    canvas.fillRect(10, 10, 20, 20);
    EXPECT_EQ(canvas.picture(), white);
    canvas.setBrushColor(BoardColour::Blue); // also makes the brush solid
    EXPECT_EQ(canvas.brushStyle(), BrushStyle::Solid);
    canvas.fillRect(10, 10, 20, 30);
    PixelSet expected;
    for (int x = 10; x < 20; ++x) {
        for (int y = 10; y < 30; ++y)
            expected.insert({x, y});
    }
    EXPECT_EQ(differences(white, canvas.picture()), expected);
}

TEST(BoardCanvas, FocusRectangleIsADottedBorderThatTheSameCallRemoves)
{
    BoardCanvas canvas;
    const QImage white = canvas.picture();
    canvas.drawFocusRect(94, 194, 106, 206);
    const PixelSet dots = differences(white, canvas.picture());
    int left = 0, right = 0, top = 0, bottom = 0;
    for (const auto &[x, y] : dots) {
        EXPECT_TRUE(x == 94 || x == 105 || y == 194 || y == 205) << x << "," << y;
        EXPECT_EQ(rgb(canvas.picture(), x, y), 0u);
        left += x == 94;
        right += x == 105;
        top += y == 194;
        bottom += y == 205;
    }
    EXPECT_GE(std::min({left, right, top, bottom}), 5);
    EXPECT_LT(dots.size(), 44u); // dotted, not solid
    canvas.drawFocusRect(94, 194, 106, 206);
    EXPECT_EQ(canvas.picture(), white);
}

TEST(BoardCanvas, TextBoxTakesTheBrushOnlyWhenSolid)
{
    BoardCanvas canvas;
    canvas.setBrushColor(BoardColour::Yellow);
    canvas.textOut(100, 100, QStringLiteral("№7"));
    EXPECT_EQ(rgb(canvas.picture(), 100, 100), RgbOf(BoardColour::Yellow));
    EXPECT_EQ(rgb(canvas.picture(), 99, 100), RgbOf(BoardColour::White));

    canvas.setBrushStyle(BrushStyle::Clear);
    canvas.textOut(100, 300, QStringLiteral("№7"));
    const PixelSet changed = differences(BoardCanvas().picture(), canvas.picture());
    bool glyph = false;
    for (const auto &[x, y] : changed) {
        if (y >= 300) {
            // Plain black glyphs: no grey edge pixels, no box.
            EXPECT_EQ(rgb(canvas.picture(), x, y), RgbOf(BoardColour::Black));
            EXPECT_GE(x, 100);
            glyph = true;
        }
    }
    EXPECT_TRUE(glyph);
}

TEST(BoardCanvas, ReplacingThePictureKeepsLiveStrokesFromTheTopLeftAndResetsTheState)
{
    BoardCanvas canvas;
    const Stroke live {{600, 20}, {640, 20}, 1};
    canvas.invertStroke(live, BoardColour::Red);
    canvas.setPenWidth(3);
    canvas.setBrushStyle(BrushStyle::Clear);
    QImage larger(800, 500, QImage::Format_ARGB32);
    larger.fill(Qt::green);
    canvas.replacePicture(larger);
    EXPECT_EQ(canvas.size(), QSize(800, 500));
    EXPECT_EQ(canvas.penWidth(), 1);
    EXPECT_EQ(canvas.brushStyle(), BrushStyle::Solid);
    EXPECT_EQ(rgb(canvas.picture(), 620, 20), 0x0000ffu); // NOT(green XOR red)
    EXPECT_EQ(canvas.takeChangedArea(), QRect(0, 0, 800, 650));
    canvas.invertStroke(live, BoardColour::Red);
    EXPECT_EQ(canvas.picture(), canvas.permanentPicture());
}

TEST(BoardCanvas, ChangedAreaHoldsEveryChange)
{
    BoardCanvas canvas;
    canvas.takeChangedArea();
    for (const Stroke &stroke : sweepStrokes(3)) {
        const QImage before = canvas.picture();
        canvas.invertStroke(stroke, BoardColour::Blue);
        const QRect area = canvas.takeChangedArea();
        for (const auto &[x, y] : differences(before, canvas.picture()))
            ASSERT_TRUE(area.contains(x, y)) << x << "," << y;
    }
    EXPECT_TRUE(canvas.takeChangedArea().isNull());
}

} // namespace
} // namespace varmet::test
