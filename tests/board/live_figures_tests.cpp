#include "board_test_support.h"

#include "board/board.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace varmet::test {
namespace {

StrokeList strokesOf(std::initializer_list<Stroke> list)
{
    StrokeList strokes;
    for (const Stroke &stroke : list)
        strokes.add(stroke);
    return strokes;
}

TEST(LiveFigures, AFigureIsErasedWithWhatDrewItWhateverItsColourNow)
{
    BoardCanvas canvas;
    LiveFigures figures(canvas);
    const QImage white = canvas.picture();
    const StrokeList pair = strokesOf({{{325, 325}, {500, 100}, 1}, {{500, 100}, {520, 90}, 1}});
    figures.show(FigureKind::TorpedoPair, 3, BoardColour::Magenta, pair);
    EXPECT_EQ(rgb(canvas.picture(), 325, 325), 0xff00ffu);

    canvas.takeChangedArea();
    figures.show(FigureKind::TorpedoPair, 3, BoardColour::Magenta, pair); // unchanged
    EXPECT_TRUE(canvas.takeChangedArea().isNull());

    // The display box is cleared: the new figure is white, the magenta one still goes.
    figures.show(FigureKind::TorpedoPair, 3, BoardColour::White, pair);
    EXPECT_EQ(canvas.picture(), white);
    EXPECT_EQ(figures.recorded(FigureKind::TorpedoPair, 3).colour, BoardColour::White);
    EXPECT_EQ(figures.recorded(FigureKind::TorpedoPair, 3).strokes, pair);

    figures.show(FigureKind::TrackAndWake, 1, BoardColour::Blue, pair);
    figures.showOwnShipVector(strokesOf({{{325, 325}, {325, 305}, 2}}));
    EXPECT_EQ(figures.recordedOwnShipVector().colour, BoardColour::Red);
    figures.clear();
    EXPECT_EQ(canvas.picture(), white);
    EXPECT_TRUE(figures.recorded(FigureKind::TrackAndWake, 1).strokes.empty());
}

// Whatever happens on the board between figure updates, clearing the live figures leaves exactly
// the permanent content, which is what the same permanent operations give on a board alone.
class LiveFiguresProperty : public testing::TestWithParam<unsigned>
{
protected:
    int coordinate(int low, int high) { return std::uniform_int_distribution(low, high)(random); }
    QRgb colour()
    {
        static constexpr QRgb colours[] = {BoardColour::Red, BoardColour::Blue,
            BoardColour::Magenta, BoardColour::White, BoardColour::Black, BoardColour::Yellow};
        return colours[coordinate(0, 5)];
    }
    PixelPoint point()
    {
        if (coordinate(0, 19) == 0) // now and then very far off the board
            return {coordinate(-1, 1) * 1'000'000'000'000LL + coordinate(-9, 9),
                coordinate(-1, 1) * 3'000'000'000'000LL};
        return {coordinate(-100, 750), coordinate(-100, 750)};
    }
    StrokeList strokes()
    {
        StrokeList list;
        for (int i = coordinate(0, 4); i > 0; --i)
            list.add({point(), point(), coordinate(1, 3)});
        return list;
    }

    std::mt19937 random {GetParam()};
};

TEST_P(LiveFiguresProperty, ClearingLeavesThePermanentContentAlone)
{
    QTemporaryDir directory;
    Board live; // every operation
    Board alone; // the permanent operations only
    Board *const both[] = {&live, &alone};
    int saves = 0;
    for (int step = 0; step < 400; ++step) {
        switch (coordinate(0, 8)) {
        case 0:
        case 1:
        case 2:
            live.figures().show(
                static_cast<FigureKind>(coordinate(0, 2)), coordinate(1, 5), colour(), strokes());
            break;
        case 3:
            live.RedrawOwnShipVector(
                coordinate(0, 359), {coordinate(-50, 50), coordinate(-50, 50)});
            break;
        case 4: {
            const int x = coordinate(0, 649);
            const int y = coordinate(0, 649);
            const int moves = coordinate(0, 3);
            const bool left = coordinate(0, 1) == 1;
            for (Board *board : both) {
                board->Image3MouseDown(x, y, true);
                for (int i = 1; i <= moves; ++i)
                    board->Image3MouseMove(x + 7 * i, y + 3 * i, left, true);
                board->Image3MouseUp(true);
            }
            break;
        }
        case 5: {
            const int choice = coordinate(0, 2);
            for (Board *board : both) {
                if (choice == 0)
                    board->UndoClick();
                else
                    board->RefreshGrid();
            }
            break;
        }
        case 6: {
            const QRgb pen = colour();
            const int width = coordinate(1, 3);
            const PixelPoint from = point();
            const PixelPoint to = point();
            for (Board *board : both) {
                BoardCanvas &canvas = board->canvas();
                canvas.setPenMode(PenMode::CopyPen);
                canvas.setPenColor(pen);
                canvas.setPenWidth(width);
                canvas.moveTo(from.x, from.y);
                canvas.lineTo(to.x, to.y);
            }
            break;
        }
        case 7: {
            const QString number = QString::number(coordinate(1, 99));
            const PixelPoint at {coordinate(-20, 660), coordinate(-20, 660)};
            for (Board *board : both)
                board->drawTargetLabel(number, at);
            break;
        }
        case 8:
            if (saves++ < 3) { // the saved board, live figures included, opened on both
                const QString path = directory.filePath(QStringLiteral("board%1.bmp").arg(step));
                ASSERT_EQ(live.savePicture(path), std::nullopt);
                ASSERT_EQ(alone.savePicture(directory.filePath(QStringLiteral("alone.bmp"))),
                    std::nullopt);
                for (Board *board : both)
                    ASSERT_EQ(board->openPicture(path), std::nullopt);
            }
            break;
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
