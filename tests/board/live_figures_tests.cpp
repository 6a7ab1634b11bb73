#include "board_test_support.h"

#include "board/board.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace varmet::test {
namespace {

using namespace BoardColour;

TEST(LiveFigures, AnUnchangedFigureIsNotRedrawnAndAClearedOneIsForgotten)
{
    BoardCanvas canvas;
    LiveFigures figures(canvas);
    const QImage white = canvas.picture();
    const StrokeList pair = strokesOf({{{325, 325}, {500, 100}, 1}, {{500, 100}, {520, 90}, 1}});
    figures.show(FigureKind::TorpedoPair, 3, BoardColour::Magenta, pair);
    EXPECT_EQ(rgb(canvas.picture(), 325, 325), 0xff00ffu);
    canvas.takeChangedArea();
    figures.show(FigureKind::TorpedoPair, 3, BoardColour::Magenta, pair);
    EXPECT_TRUE(canvas.takeChangedArea().isNull());
    // The display box is cleared: the new figure is white, the magenta one still goes.
    figures.show(FigureKind::TorpedoPair, 3, BoardColour::White, pair);
    EXPECT_EQ(canvas.picture(), white);
    figures.show(FigureKind::TrackAndWake, 1, BoardColour::Blue, pair);
    figures.clear();
    figures.clear(); // a second clear finds nothing left to erase
    EXPECT_EQ(canvas.picture(), white);
}

// Both torpedoes on one path (no wake length): the line shows once instead of cancelling out.
TEST(LiveFigures, ARepeatedStrokeOfAFigureIsShownOnce)
{
    BoardCanvas canvas;
    LiveFigures figures(canvas);
    const QImage white = canvas.picture();
    const Stroke path {{325, 325}, {500, 100}, 1};
    figures.show(FigureKind::TorpedoPair, 2, BoardColour::Magenta, strokesOf({path, path}));
    EXPECT_EQ(rgb(canvas.picture(), 325, 325), 0xff00ffu);
    figures.show(FigureKind::TorpedoPair, 2, BoardColour::Magenta, strokesOf({path}));
    EXPECT_EQ(rgb(canvas.picture(), 325, 325), 0xff00ffu);
    figures.clear();
    EXPECT_EQ(canvas.picture(), white);
}

// Whatever happens on the board between figure updates, clearing the live figures leaves exactly
// the permanent content, which is what the same permanent operations give on a board alone.
class LiveFiguresProperty : public testing::TestWithParam<unsigned>
{
protected:
    int any(int low, int high) { return std::uniform_int_distribution(low, high)(random); }
    QRgb colour() { return std::array {Red, Blue, Magenta, White, Black, Yellow}[any(0, 5)]; }
    PixelPoint point()
    {
        if (any(0, 19) == 0) // now and then very far off the board
            return {
                any(-1, 1) * 1'000'000'000'000LL + any(-9, 9), any(-1, 1) * 3'000'000'000'000LL};
        return {any(-100, 750), any(-100, 750)};
    }

    std::mt19937 random {GetParam()};
};

TEST_P(LiveFiguresProperty, ClearingLeavesThePermanentContentAlone)
{
    QTemporaryDir directory;
    Board live; // every operation
    Board alone; // the permanent operations only
    const auto onBoth = [&](const auto &operation) {
        operation(live);
        operation(alone);
    };
    for (int step = 0, saves = 0; step < 400; ++step) {
        const int kind = any(0, 8);
        if (kind <= 2) {
            StrokeList strokes;
            for (int i = any(0, 4); i > 0; --i)
                strokes.add({point(), point(), any(1, 3)});
            live.figures().show(static_cast<FigureKind>(kind), any(1, 5), colour(), strokes);
        } else if (kind == 3) {
            live.RedrawOwnShipVector(any(0, 359), {any(-50, 50), any(-50, 50)});
        } else if (kind == 4) { // the eraser
            const int x = any(0, 649), y = any(0, 649), moves = any(0, 3), left = any(0, 1);
            onBoth([&](Board &board) {
                board.Image3MouseDown(x, y, true);
                for (int i = 1; i <= moves; ++i)
                    board.Image3MouseMove(x + 7 * i, y + 3 * i, left == 1, true);
                board.Image3MouseUp(true);
            });
        } else if (kind == 5) {
            const bool undo = any(0, 2) == 0;
            onBoth([&](Board &board) { undo ? board.UndoClick() : board.RefreshGrid(); });
        } else if (kind == 6) { // a plotted line
            const QRgb pen = colour();
            const Stroke line {point(), point(), any(1, 3)};
            onBoth([&](Board &board) {
                board.canvas().setPenMode(PenMode::CopyPen);
                board.canvas().setPenColor(pen);
                board.canvas().setPenWidth(line.width);
                board.canvas().moveTo(line.from.x, line.from.y);
                board.canvas().lineTo(line.to.x, line.to.y);
            });
        } else if (kind == 7) {
            const QString number = QString::number(any(1, 99));
            const PixelPoint at {any(-20, 660), any(-20, 660)};
            onBoth([&](Board &board) { board.drawTargetLabel(number, at); });
        } else if (saves++ < 3) { // the saved board, live figures included, opened on both
            const QString path = directory.filePath(QStringLiteral("board%1.bmp").arg(step));
            ASSERT_EQ(live.savePicture(path), std::nullopt);
            ASSERT_EQ(
                alone.savePicture(directory.filePath(QStringLiteral("alone.bmp"))), std::nullopt);
            onBoth([&](Board &board) { ASSERT_EQ(board.openPicture(path), std::nullopt); });
        }
    }
    live.figures().clear();
    EXPECT_EQ(live.canvas().picture(), live.canvas().permanentPicture());
    EXPECT_EQ(live.canvas().permanentPicture(), alone.canvas().permanentPicture());
    EXPECT_EQ(live.undoBitmap(), alone.undoBitmap());
}

INSTANTIATE_TEST_SUITE_P(Seeds, LiveFiguresProperty, testing::Values(1u, 2u, 3u, 4u));

} // namespace
} // namespace varmet::test
