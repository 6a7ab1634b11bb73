#include "board_test_support.h"

#include "board/board.h"
#include "model/motion.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

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
}

class PictureFiles : public testing::Test
{
protected:
    QString path(const char *name) const { return directory.filePath(QString::fromLatin1(name)); }

    QTemporaryDir directory;
    Board board;
};

TEST_F(PictureFiles, SavedBoardIsABitmapAsSeenAndUndoReturnsToItWithLabels)
{
    board.figures().show(
        FigureKind::TorpedoPair, 5, BoardColour::Magenta, strokesOf({{{10, 600}, {600, 600}, 3}}));
    const QImage grid = board.canvas().permanentPicture();
    ASSERT_EQ(board.savePicture(path("board.png")), std::nullopt);
    const QImage seen = board.canvas().picture();
    EXPECT_NE(board.canvas().permanentPicture(), grid); // the scale labels are painted
    QImageReader reader(path("board.png"));
    reader.setDecideFormatFromContent(true);
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    EXPECT_EQ(reader.read().convertToFormat(QImage::Format_RGB32), seen);
    board.canvas().moveTo(0, 20);
    board.canvas().lineTo(600, 20);
    board.UndoClick();
    EXPECT_EQ(board.canvas().picture(), seen);
}

// The live figures and the eraser outline are taken off on the board size they were drawn on.
TEST_F(PictureFiles, ALargerBitmapReplacesBoardAndSnapshotWithNoStrayStrokes)
{
    board.figures().show(
        FigureKind::MedianLine, 4, BoardColour::Red, strokesOf({{{0, 100}, {799, 100}, 3}}));
    board.Image3MouseDown(300, 300, true);
    board.canvas().setPenWidth(3);
    board.canvas().takeChangedArea();
    QImage wide(800, 600, QImage::Format_RGB32);
    wide.fill(Qt::yellow);
    ASSERT_TRUE(wide.save(path("wide.BMP"), "BMP"));
    ASSERT_EQ(board.openPicture(path("wide.BMP")), std::nullopt);
    EXPECT_EQ(board.undoBitmap(), wide);
    EXPECT_EQ(board.canvas().takeChangedArea(), QRect(0, 0, 800, 650)); // old and new extent
    EXPECT_EQ(rgb(board.canvas().picture(), 700, 100), 0xff00ffu); // NOT(yellow XOR red)
    board.Image3MouseUp(true);
    board.figures().clear();
    EXPECT_EQ(board.canvas().picture(), wide);
    board.canvas().moveTo(10, 300); // with a fresh pen: black, 1 px, copying
    board.canvas().lineTo(20, 300);
    EXPECT_EQ(differences(wide, board.canvas().picture()), rasterise({{10, 300}, {20, 300}, 1}));
    EXPECT_EQ(rgb(board.canvas().picture(), 10, 300), 0u);
}

TEST_F(PictureFiles, AnIconLandsOnAWhiteBoard)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    ASSERT_TRUE(icon.save(path("mark.ico"), "ICO"));
    ASSERT_EQ(board.openPicture(path("mark.ico")), std::nullopt);
    QImage expected(650, 650, QImage::Format_RGB32);
    expected.fill(Qt::white);
    QPainter(&expected).fillRect(0, 0, 32, 32, Qt::red);
    EXPECT_EQ(board.canvas().picture(), expected);
    EXPECT_EQ(board.undoBitmap(), expected);
}

TEST_F(PictureFiles, RefusalsLeaveBoardAndSnapshotUntouched)
{
    board.canvas().moveTo(0, 20);
    board.canvas().lineTo(600, 20);
    const QImage permanent = board.canvas().permanentPicture();
    const QImage snapshot = board.undoBitmap();
    QImage png(10, 10, QImage::Format_RGB32);
    png.fill(Qt::blue);
    for (const char *name : {"a.wmf", "a.emf", "png-inside.bmp"})
        ASSERT_TRUE(png.save(path(name), "PNG"));
    ASSERT_TRUE(png.save(path("a.txt"), "BMP"));
    const auto write = [&](const char *name, const QByteArray &bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    write("text.bmp", "just some text, not a picture\n");
    // A bitmap header claiming 8000 x 8000 px at 24 bits, followed by almost no data.
    write("huge.bmp",
        QByteArray::fromHex("424d36040000000000003600000028000000401f0000401f00000100180000000000"
                            "00000000130b0000130b00000000000000000000")
            + QByteArray(1024, '\x7f'));
    for (const char *name :
        {"a.wmf", "a.emf", "a.txt", "text.bmp", "png-inside.bmp", "huge.bmp", "missing.bmp"}) {
        SCOPED_TRACE(name);
        const std::optional<QString> refusal = board.openPicture(path(name));
        ASSERT_TRUE(refusal.has_value());
        EXPECT_FALSE(refusal->isEmpty());
        EXPECT_EQ(board.canvas().permanentPicture(), permanent);
        EXPECT_EQ(board.undoBitmap(), snapshot);
    }
}

TEST_F(PictureFiles, AFailedWriteGivesAReasonAndLeavesAnEarlierFileIntact)
{
    QFile earlier(path("board.bmp"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
    earlier.close();
    // A file size limit far below the board's makes the write fail part way.
    rlimit usual {};
    getrlimit(RLIMIT_FSIZE, &usual);
    const rlimit limited {4096, usual.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    const std::optional<QString> reason = board.savePicture(earlier.fileName());
    setrlimit(RLIMIT_FSIZE, &usual);
    std::signal(SIGXFSZ, handler);
    ASSERT_TRUE(reason.has_value());
    EXPECT_FALSE(reason->isEmpty());
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier"));
}

} // namespace
} // namespace varmet::test
