#include "board_test_support.h"

#include "board/board.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace varmet::test
