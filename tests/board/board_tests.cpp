#include "board_test_support.h"

#include "board/board.h"
#include "model/figures.h"
#include "model/motion.h"

#include <QDataStream>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace varmet::test {
namespace {

// The pixels a list of inverting strokes leaves changed (overlaps flip back).
PixelSet inverted(const StrokeList &strokes)
{
    PixelSet pixels;
    for (const Stroke &stroke : strokes) {
        for (const auto &pixel : rasterise(stroke).pixels) {
            if (!pixels.erase(pixel))
                pixels.insert(pixel);
        }
    }
    return pixels;
}

TEST(BoardGrid, StartsAsABareGridWithItsSnapshot)
{
    Board board;
    EXPECT_EQ(rgb(board.canvas().picture(), 325, 325), 0u);
    EXPECT_EQ(board.canvas().picture(), board.canvas().permanentPicture());
    EXPECT_EQ(board.undoBitmap(), board.canvas().permanentPicture());
    EXPECT_EQ(board.canvas().size(), QSize(650, 650));
}

TEST(BoardGrid, RefreshRepairsTheGridAndKeepsWhatIsPlottedInsideTheRings)
{
    Board board;
    const QImage bare = board.canvas().permanentPicture();
    BoardCanvas &canvas = board.canvas();
    canvas.setPenColor(BoardColour::Blue);
    canvas.setPenWidth(2);
    canvas.moveTo(150, 300);
    canvas.lineTo(500, 300);
    const PixelSet plotted = differences(bare, canvas.permanentPicture());
    board.figures().show(FigureKind::MedianLine, 1, BoardColour::Red, [] {
        StrokeList strokes;
        strokes.add({{325, 325}, {600, 100}, 1});
        return strokes;
    }());
    board.Image3MouseDown(585, 175, true); // a patch of the outer ring
    board.Image3MouseUp(true);
    ASSERT_NE(board.canvas().permanentPicture(), [&] {
        QImage copy = bare;
        return copy;
    }());

    board.RefreshGrid();
    PixelSet expected;
    for (const auto &[x, y] : plotted) {
        if (rgb(bare, x, y) != 0) // grid pixels are black again
            expected.insert({x, y});
    }
    EXPECT_EQ(differences(bare, canvas.permanentPicture()), expected);
    board.figures().clear();
    EXPECT_EQ(canvas.picture(), canvas.permanentPicture());
}

struct VectorCase
{
    int course;
    int speed;
    PixelPoint tip;
    PixelPoint barb1;
    PixelPoint barb2;
};

class OwnShipVectorDrawing : public testing::TestWithParam<VectorCase>
{
};

TEST_P(OwnShipVectorDrawing, EndsAtTheTipAndTheBarbEnds)
{
    const VectorCase c = GetParam();
    Board board;
    board.RedrawOwnShipVector(c.course, OwnVelocity(c.course, c.speed));
    const StrokeList &strokes = board.figures().recordedOwnShipVector().strokes;
    const PixelPoint centre {325, 325};
    ASSERT_EQ(strokes, (StrokeList {[&] {
        StrokeList expected;
        expected.add({centre, c.tip, 2});
        expected.add({c.tip, c.barb1, 2});
        expected.add({c.tip, c.barb2, 2});
        return expected;
    }()}));
    // Overlapping strokes flip their common pixels back.
    const QImage permanent = board.canvas().permanentPicture();
    const QImage seen = board.canvas().picture();
    EXPECT_EQ(differences(permanent, seen), inverted(strokes));

    // The end points themselves are excluded: the pixel just before each end is painted, the
    // one beyond it is not.
    const auto sign = [](std::int64_t v) { return int((v > 0) - (v < 0)); };
    for (const Stroke &stroke : strokes) {
        const int sx = sign(stroke.to.x - stroke.from.x);
        const int sy = sign(stroke.to.y - stroke.from.y);
        if (sx == 0 && sy == 0)
            continue;
        const PixelSet pixels = rasterise(stroke).pixels;
        EXPECT_TRUE(pixels.count({int(stroke.to.x) - sx, int(stroke.to.y) - sy}));
        EXPECT_FALSE(pixels.count({int(stroke.to.x) + sx, int(stroke.to.y) + sy}));
    }
    // A barb's end stands clear of the other strokes: there the red not-xor pen shows.
    const int x = int(c.barb1.x) - sign(c.barb1.x - c.tip.x);
    const int y = int(c.barb1.y) - sign(c.barb1.y - c.tip.y);
    EXPECT_EQ(rgb(seen, x, y), ~(rgb(permanent, x, y) ^ 0xff0000u) & 0xffffffu);
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, OwnShipVectorDrawing,
    testing::Values(VectorCase {0, 10, {325, 305}, {320, 310}, {330, 310}},
        VectorCase {90, 10, {345, 325}, {340, 320}, {340, 330}},
        VectorCase {45, 10, {339, 311}, {334, 311}, {339, 316}},
        VectorCase {180, 0, {325, 325}, {330, 320}, {320, 320}}));

TEST(OwnShipVectorDrawing, SteppingTheCourseRoundAndBackLeavesTheBoardAsItWas)
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

class Eraser : public testing::Test
{
protected:
    // A blue band across a clean part of the board, under a live red line.
    Eraser()
    {
        BoardCanvas &canvas = board.canvas();
        canvas.setPenColor(BoardColour::Blue);
        canvas.setPenWidth(3);
        canvas.moveTo(0, 200);
        canvas.lineTo(300, 200);
        StrokeList live;
        live.add({{0, 198}, {300, 198}, 1});
        board.figures().show(FigureKind::TrackAndWake, 2, BoardColour::Red, live);
    }

    // With the live figures gone, what is shown over the permanent content (the outline).
    PixelSet overlay()
    {
        board.figures().clear();
        return differences(board.canvas().permanentPicture(), board.canvas().picture());
    }

    Board board;
};

TEST_F(Eraser, PressWipesTheTenByTenPatchUnderTheLiveFiguresAndShowsTheOutline)
{
    board.Image3MouseDown(100, 200, true);
    const QImage permanent = board.canvas().permanentPicture();
    for (int x = 90; x < 110; ++x) {
        for (int y = 190; y < 210; ++y) {
            const bool patch = x >= 95 && x <= 104 && y >= 195 && y <= 204;
            if (patch) {
                EXPECT_EQ(rgb(permanent, x, y), 0xffffffu) << x << "," << y;
            } else if (y >= 199 && y <= 201) {
                EXPECT_EQ(rgb(permanent, x, y), 0x0000ffu) << x << "," << y;
            }
        }
    }
    const EraseRectangle rect = board.eraseRect();
    EXPECT_EQ((std::array {rect.Left, rect.Top, rect.Right, rect.Bottom}),
        (std::array {94, 194, 106, 206}));
    EXPECT_EQ(rgb(board.canvas().picture(), 100, 198), 0xff0000u); // the live line stays on top
    int outline = 0;
    for (const auto &[x, y] : overlay()) {
        EXPECT_TRUE(x == 94 || x == 105 || y == 194 || y == 205) << x << "," << y;
        ++outline;
    }
    EXPECT_GT(outline, 10);
}

TEST_F(Eraser, DragMovesPatchAndOutlineAndReleaseLeavesNoOutline)
{
    board.Image3MouseDown(100, 200, true);
    board.Image3MouseMove(130, 200, true, true);
    EXPECT_EQ(rgb(board.canvas().permanentPicture(), 125, 200), 0xffffffu);
    EXPECT_EQ(rgb(board.canvas().permanentPicture(), 115, 200), 0x0000ffu); // not sampled
    board.Image3MouseUp(true);
    EXPECT_TRUE(overlay().empty());
}

TEST_F(Eraser, RightButtonDragWipesOnlyThePressPatch)
{
    board.Image3MouseDown(100, 200, true);
    board.Image3MouseMove(130, 200, false, true);
    board.Image3MouseUp(true);
    EXPECT_EQ(rgb(board.canvas().permanentPicture(), 125, 200), 0x0000ffu);
    EXPECT_EQ(rgb(board.canvas().permanentPicture(), 100, 200), 0xffffffu);
}

TEST_F(Eraser, DoesNothingWhileOff)
{
    const QImage before = board.canvas().picture();
    board.Image3MouseDown(100, 200, false);
    board.Image3MouseMove(130, 200, true, false);
    board.Image3MouseUp(false);
    board.Image3MouseUp(true); // a release with no outline shown leaves no trace either
    EXPECT_EQ(board.canvas().picture(), before);
}

class PictureFiles : public testing::Test
{
protected:
    QString path(const QString &name) const { return directory.filePath(name); }

    void expectUntouched(const std::optional<QString> &refusal)
    {
        ASSERT_TRUE(refusal.has_value());
        EXPECT_FALSE(refusal->isEmpty());
        EXPECT_EQ(board.canvas().permanentPicture(), permanent);
        EXPECT_EQ(board.undoBitmap(), snapshot);
    }

    void remember()
    {
        permanent = board.canvas().permanentPicture();
        snapshot = board.undoBitmap();
    }

    QTemporaryDir directory;
    Board board;
    QImage permanent;
    QImage snapshot;
};

TEST_F(PictureFiles, UndoRightAfterStartShowsTheBareGrid)
{
    const QImage bare = board.canvas().permanentPicture();
    board.canvas().moveTo(0, 10);
    board.canvas().lineTo(600, 10);
    board.UndoClick();
    EXPECT_EQ(board.canvas().picture(), bare);
}

TEST_F(PictureFiles, SavedBoardIsABitmapAsSeenAndUndoReturnsToItWithLabels)
{
    StrokeList live;
    live.add({{10, 600}, {600, 600}, 3});
    board.figures().show(FigureKind::TorpedoPair, 5, BoardColour::Magenta, live);
    const QImage grid = board.canvas().permanentPicture();
    ASSERT_EQ(board.savePicture(path(QStringLiteral("board.png"))), std::nullopt);
    const QImage seen = board.canvas().picture();
    EXPECT_NE(board.canvas().permanentPicture(), grid); // the scale labels are painted
    EXPECT_EQ(board.undoBitmap(), board.canvas().permanentPicture());

    QImageReader reader(path(QStringLiteral("board.png")));
    reader.setDecideFormatFromContent(true);
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    EXPECT_EQ(reader.read().convertToFormat(QImage::Format_RGB32), seen);

    board.canvas().moveTo(0, 20);
    board.canvas().lineTo(600, 20);
    board.UndoClick();
    EXPECT_EQ(board.canvas().picture(), seen);
}

TEST_F(PictureFiles, OpeningABitmapReplacesBoardAndSnapshotWhateverItsSize)
{
    QImage picture(800, 600, QImage::Format_RGB32);
    picture.fill(Qt::cyan);
    ASSERT_TRUE(picture.save(path(QStringLiteral("wide.BMP")), "BMP"));
    ASSERT_EQ(board.openPicture(path(QStringLiteral("wide.BMP"))), std::nullopt);
    EXPECT_EQ(board.canvas().picture(), picture);
    EXPECT_EQ(board.undoBitmap(), picture);
}

TEST_F(PictureFiles, LiveFiguresFollowTheBoardToAnotherSize)
{
    StrokeList live;
    live.add({{0, 100}, {799, 100}, 3});
    board.figures().show(FigureKind::MedianLine, 4, BoardColour::Red, live);
    QImage wide(800, 600, QImage::Format_RGB32);
    wide.fill(Qt::white);
    ASSERT_TRUE(wide.save(path(QStringLiteral("wide.bmp")), "BMP"));
    ASSERT_EQ(board.openPicture(path(QStringLiteral("wide.bmp"))), std::nullopt);
    EXPECT_EQ(rgb(board.canvas().picture(), 700, 100), 0xff0000u);
    board.figures().clear();
    EXPECT_EQ(board.canvas().picture(), wide);
}

TEST_F(PictureFiles, AnIconLandsOnAWhiteBoard)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    ASSERT_TRUE(icon.save(path(QStringLiteral("mark.ico")), "ICO"));
    ASSERT_EQ(board.openPicture(path(QStringLiteral("mark.ico"))), std::nullopt);
    EXPECT_EQ(board.canvas().size(), QSize(650, 650));
    EXPECT_EQ(rgb(board.canvas().picture(), 0, 0), 0xff0000u);
    EXPECT_EQ(rgb(board.canvas().picture(), 31, 31), 0xff0000u);
    EXPECT_EQ(rgb(board.canvas().picture(), 325, 325), 0xffffffu);
    EXPECT_EQ(board.undoBitmap(), board.canvas().permanentPicture());
}

TEST_F(PictureFiles, RefusalsLeaveBoardAndSnapshotUntouched)
{
    board.canvas().moveTo(0, 20);
    board.canvas().lineTo(600, 20);
    remember();

    QImage png(10, 10, QImage::Format_RGB32);
    png.fill(Qt::blue);
    ASSERT_TRUE(png.save(path(QStringLiteral("a.wmf")), "PNG"));
    ASSERT_TRUE(png.save(path(QStringLiteral("a.emf")), "PNG"));
    ASSERT_TRUE(png.save(path(QStringLiteral("png-inside.bmp")), "PNG"));
    ASSERT_TRUE(png.save(path(QStringLiteral("a.txt")), "BMP"));
    QFile text(path(QStringLiteral("text.bmp")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just some text, not a picture\n");
    text.close();

    // A bitmap header claiming 8000 x 8000 px at 24 bits, with almost no data.
    QFile huge(path(QStringLiteral("huge.bmp")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    QDataStream out(&huge);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("BM", 2);
    out << quint32(54 + 1024) << quint32(0) << quint32(54); // file header
    out << quint32(40) << qint32(8000) << qint32(8000) << quint16(1) << quint16(24) << quint32(0)
        << quint32(0) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    out.writeRawData(QByteArray(1024, '\x7f').constData(), 1024);
    huge.close();

    for (const char *name :
        {"a.wmf", "a.emf", "a.txt", "text.bmp", "png-inside.bmp", "huge.bmp", "missing.bmp"}) {
        SCOPED_TRACE(name);
        expectUntouched(board.openPicture(path(QString::fromLatin1(name))));
    }
}

TEST_F(PictureFiles, AFailedWriteGivesAReasonAndLeavesAnEarlierFileIntact)
{
    const std::optional<QString> noDirectory
        = board.savePicture(path(QStringLiteral("no/such/dir/board.bmp")));
    ASSERT_TRUE(noDirectory.has_value());
    EXPECT_FALSE(noDirectory->isEmpty());

    // /proc admits no new files, even to the superuser; the file there must stay as it was.
    QFile version(QStringLiteral("/proc/version"));
    ASSERT_TRUE(version.open(QIODevice::ReadOnly));
    const QByteArray before = version.readAll();
    version.close();
    EXPECT_TRUE(board.savePicture(QStringLiteral("/proc/version")).has_value());
    ASSERT_TRUE(version.open(QIODevice::ReadOnly));
    EXPECT_EQ(version.readAll(), before);
}

TEST(TargetLabel, StandsWithItsTopLeftCornerAtThePoint)
{
    Board board;
    board.canvas().setBrushColor(BoardColour::Yellow);
    board.drawTargetLabel(QStringLiteral("7"), {412, 300});
    const QImage picture = board.canvas().picture();
    EXPECT_EQ(rgb(picture, 412, 300), 0xffff00u);
    EXPECT_NE(rgb(picture, 411, 300), 0xffff00u);
    EXPECT_NE(rgb(picture, 412, 299), 0xffff00u);
    int ink = 0;
    for (int x = 412; x < 440; ++x) {
        for (int y = 300; y < 315; ++y)
            ink += rgb(picture, x, y) != 0xffff00u;
    }
    EXPECT_GT(ink, 10);
}

} // namespace
} // namespace varmet::test
