#include "board_test_support.h"

#include "board/board.h"
#include "model/motion.h"

#include <gtest/gtest.h>

#include <array>

namespace varmet::test {
namespace {

// The start grid is pixel for pixel the picture stored once it was verified: the four lines
// through the centre pixel, and rings within half a pixel of 100, 200 and 300 px around it.
TEST(BoardGrid, StartsBareAndRefreshRepairsItKeepingWhatIsPlottedInsideTheRings)
{
    Board board;
    BoardCanvas &canvas = board.canvas();
    const QImage bare = canvas.picture();
    EXPECT_EQ(bare, QImage(BOARD_TEST_DATA "/grid.png").convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(board.undoBitmap(), bare);

    canvas.setPenColor(BoardColour::Blue);
    canvas.setPenWidth(2);
    canvas.moveTo(150, 300);
    canvas.lineTo(500, 300);
    const PixelSet plotted = differences(bare, canvas.picture());
    board.Image3MouseDown(585, 175, true); // wipes a patch of the outer ring
    board.Image3MouseUp(true);
    board.RefreshGrid();
    PixelSet expected;
    for (const auto &[x, y] : plotted) {
        if (rgb(bare, x, y) != 0) // grid pixels are black again
            expected.insert({x, y});
    }
    EXPECT_EQ(differences(bare, canvas.picture()), expected);
    board.UndoClick(); // to the snapshot taken at start
    EXPECT_EQ(canvas.picture(), bare);
}

// The refresh paints the grid's pixels straight: the same board, live strokes over it included,
// and the same pen, brush and position as drawing the rings and lines with the canvas.
TEST(BoardGrid, RefreshEqualsDrawingTheGridOverWhateverTheBoardShows)
{
    const auto busy = [](Board &board) {
        BoardCanvas &canvas = board.canvas();
        canvas.setPenColor(BoardColour::Red);
        canvas.setPenWidth(3);
        canvas.setBrushColor(BoardColour::Yellow);
        canvas.ellipse(100, 120, 400, 560);
        board.RedrawOwnShipVector(45, OwnVelocity(45, 30)); // a live stroke across the lines
    };
    Board refreshed;
    busy(refreshed);
    refreshed.RefreshGrid();
    Board drawn;
    busy(drawn);
    BoardCanvas &canvas = drawn.canvas();
    canvas.setPenColor(BoardColour::Black);
    canvas.setPenWidth(1);
    canvas.setBrushStyle(BrushStyle::Clear);
    for (const int inset : {25, 125, 225})
        canvas.ellipse(inset, inset, 650 - inset, 650 - inset);
    for (const auto &[x1, y1, x2, y2] :
        {std::array {0, 0, 650, 650}, {0, 650, 650, 0}, {0, 325, 650, 325}, {325, 0, 325, 650}}) {
        canvas.moveTo(x1, y1);
        canvas.lineTo(x2, y2);
    }
    EXPECT_EQ(refreshed.canvas().picture(), canvas.picture());
    EXPECT_EQ(refreshed.canvas().permanentPicture(), canvas.permanentPicture());
    EXPECT_EQ(refreshed.canvas().state(), canvas.state());
}

TEST(OwnShipVector, ShaftAndBarbsInvertInRedAtTheWorkedPoints)
{
    const struct
    {
        int course, speed;
        PixelPoint tip, barb1, barb2;
    } cases[] = {
        {0, 10, {325, 305}, {320, 310}, {330, 310}},
        {90, 10, {345, 325}, {340, 320}, {340, 330}},
        {45, 10, {339, 311}, {334, 311}, {339, 316}},
        {180, 0, {325, 325}, {330, 320}, {320, 320}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.course);
        Board board;
        board.RedrawOwnShipVector(c.course, OwnVelocity(c.course, c.speed));
        const StrokeList &strokes = board.figures().recordedOwnShipVector().strokes;
        ASSERT_EQ(
            strokes, strokesOf({{{325, 325}, c.tip, 2}, {c.tip, c.barb1, 2}, {c.tip, c.barb2, 2}}));
        QImage expected = board.canvas().permanentPicture();
        for (const Stroke &stroke : strokes) {
            for (const auto &[x, y] : rasterise(stroke)) // overlaps flip back
                expected.setPixel(x, y, expected.pixel(x, y) ^ 0x00ffffu); // NOT(p XOR red)
        }
        EXPECT_EQ(board.canvas().picture(), expected);
    }
}

TEST(OwnShipVector, SteppingTheCourseRoundAndBackLeavesTheBoardAsItWas)
{
    Board board;
    board.RedrawOwnShipVector(0, OwnVelocity(0, 10));
    const QImage first = board.canvas().picture();
    for (int course = 1; course < 360; ++course)
        board.RedrawOwnShipVector(course, OwnVelocity(course, 10));
    for (int course = 358; course >= 0; --course)
        board.RedrawOwnShipVector(course, OwnVelocity(course, 10));
    EXPECT_EQ(board.canvas().picture(), first);
    board.figures().clear();
    EXPECT_EQ(board.canvas().picture(), board.undoBitmap());
}

TEST(Eraser, WipesAPatchUnderTheLiveFiguresOnlyWhileOnAndDragsItOnlyWithTheLeftButton)
{
    Board board; // a blue block on a clean part of the board, under a live red line
    board.canvas().setBrushColor(BoardColour::Blue);
    board.canvas().fillRect(0, 150, 300, 250);
    board.figures().show(
        FigureKind::TrackAndWake, 2, BoardColour::Red, strokesOf({{{0, 198}, {300, 198}, 1}}));
    const auto permanentAt
        = [&](int x, int y) { return rgb(board.canvas().permanentPicture(), x, y); };
    const QImage before = board.canvas().picture();
    board.Image3MouseDown(100, 200, false);
    board.Image3MouseMove(130, 200, true, false);
    board.Image3MouseUp(false);
    board.Image3MouseUp(true); // a release with no outline shown leaves no trace either
    EXPECT_EQ(board.canvas().picture(), before);

    board.Image3MouseDown(100, 200, true);
    for (int x = 90; x < 110; ++x) {
        for (int y = 190; y < 210; ++y) {
            const bool patch = x >= 95 && x <= 104 && y >= 195 && y <= 204;
            EXPECT_EQ(permanentAt(x, y), patch ? 0xffffffu : 0x0000ffu) << x << "," << y;
        }
    }
    EXPECT_EQ(rgb(board.canvas().picture(), 100, 198), 0xff0000u); // the live line stays on top
    // With the live figures gone, what shows over the permanent content is the dotted outline.
    board.figures().clear();
    const PixelSet outline
        = differences(board.canvas().permanentPicture(), board.canvas().picture());
    QRect around;
    for (const auto &[x, y] : outline) {
        EXPECT_FALSE(QRect(95, 195, 10, 10).contains(x, y)) << x << "," << y;
        EXPECT_EQ(rgb(board.canvas().picture(), x, y), permanentAt(x, y) ^ 0xffffffu); // inverted
        around |= QRect(x, y, 1, 1);
    }
    EXPECT_EQ(around, QRect(QPoint(94, 194), QPoint(105, 205)));
    EXPECT_LT(outline.size(), 44u); // dotted, not solid
    board.Image3MouseMove(130, 200, true, true);
    EXPECT_EQ(permanentAt(125, 200), 0xffffffu);
    EXPECT_EQ(permanentAt(115, 200), 0x0000ffu); // not sampled in between
    board.Image3MouseUp(true);
    EXPECT_EQ(board.canvas().picture(), board.canvas().permanentPicture());

    board.Image3MouseDown(200, 220, true); // a right-button drag wipes only the press patch
    board.Image3MouseMove(230, 220, false, true);
    board.Image3MouseUp(true);
    EXPECT_EQ(permanentAt(200, 220), 0xffffffu);
    EXPECT_EQ(permanentAt(225, 220), 0x0000ffu);

    // A position from a script or journal far off the board is held at the board's reach: the
    // outline and patch around it stay computable, and nothing on the board changes.
    const QImage wiped = board.canvas().picture();
    board.Image3MouseDown(2147483647, -2147483647 - 1, true);
    board.Image3MouseMove(2147483647, 2147483647, true, true);
    const EraseRectangle held = board.record().eraseRect;
    EXPECT_EQ(held.Right, Board::MousePositionReach + 6);
    EXPECT_EQ(held.Bottom, Board::MousePositionReach + 6);
    board.Image3MouseUp(true);
    EXPECT_EQ(board.canvas().picture(), wiped);
}

} // namespace
} // namespace varmet::test
