// The board's and the files' actions through the desk's door, without any widget: each drawing
// undone puts back exactly its own pixels, whenever the undo comes; files and exercises are
// journalled and counted as they say, and never go on the undo stack.

#include "windowless_desk.h"

#include "desk/board_commands.h"
#include "desk/field_words.h"

#include "board/board.h"
#include "model/units.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace varmet {
namespace {

// A desk without a window, with a moving target plotted whose relative track each tick paints.
struct Plot : testing::WindowlessDesk
{
    Plot()
    {
        report({10, 45, 40, 250, 20});
        tick(30);
    }
    void erase(PixelPoint from, int steps)
    {
        const auto x = static_cast<int>(from.x);
        const auto y = static_cast<int>(from.y);
        desk.execute(new EraserStroke(desk, EraserStroke::Part::Press, x, y));
        for (int i = 1; i <= steps; ++i)
            desk.execute(new EraserStroke(desk, EraserStroke::Part::Move, x + 4 * i, y + 3 * i));
        desk.execute(
            new EraserStroke(desk, EraserStroke::Part::Release, x + 4 * steps, y + 3 * steps));
    }
    PixelPoint target() { return PlottedPosition(desk.state().Slots[1]); }
    QImage picture() { return desk.board().canvas().picture().copy(); }
    CanvasState canvasState() { return desk.board().canvas().state(); }
};

// A picture of the board's size, unlike any board: stripes.
QImage Stripes(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, (x / 7 + y / 5) % 2 ? 0xff00ff00 : 0xffffffff);
    return picture;
}

using Make = std::function<DeskCommand *(Plot &)>;
struct Drawing
{
    const char *name;
    Make make;
    const char *undoName;
    const char *journalled;
};

void PrintTo(const Drawing &drawing, std::ostream *out)
{
    *out << drawing.name;
}

const Drawing Drawings[] = {
    {"Label", [](Plot &p) { return new PutLabel(p.desk, QStringLiteral("17"), p.target()); },
        "надпись «№17»", "click Button2\n"},
    {"Grid", [](Plot &p) { return new GridRefresh(p.desk); }, "обновление сетки",
        "click Button1\n"},
    {"PictureOfTheBoardsSize",
        [](Plot &p) {
            return new OpenPicture(p.desk, QStringLiteral("/charts/stripes.png"),
                Stripes(QSize(BoardSize, BoardSize)));
        },
        "открыт рисунок stripes.png", "menu MOpen /charts/stripes.png\n"},
    {"PictureOfAnotherSize",
        [](Plot &p) {
            return new OpenPicture(p.desk, QStringLiteral("wide.bmp"), Stripes(QSize(900, 400)));
        },
        "открыт рисунок wide.bmp", "menu MOpen wide.bmp\n"},
};

class EachDrawing : public ::testing::TestWithParam<Drawing>
{
};

// Undone in the same second the board is exactly as before (pixels, pen and brush, the
// snapshot of "Восстановить рисунок"); redone, exactly as after it; journalled as its line.
TEST_P(EachDrawing, UndoneAndRedoneInTheSameSecondIsExact)
{
    Plot plot;
    plot.erase({325, 25}, 3); // a gap in the outer ring for the grid to fill
    const QImage before = plot.picture();
    const CanvasState stateBefore = plot.canvasState();
    const QImage snapshotBefore = plot.desk.board().undoBitmap();
    plot.desk.execute(GetParam().make(plot));
    EXPECT_TRUE(plot.desk.journal().text().endsWith(QLatin1String(GetParam().journalled)));
    const QImage after = plot.picture();
    const CanvasState stateAfter = plot.canvasState();
    ASSERT_NE(after, before);
    EXPECT_EQ(plot.desk.undoText(), QString::fromUtf8(GetParam().undoName));

    ASSERT_TRUE(plot.desk.undo());
    EXPECT_EQ(plot.picture(), before);
    EXPECT_EQ(plot.canvasState(), stateBefore);
    EXPECT_EQ(plot.desk.board().undoBitmap(), snapshotBefore);
    ASSERT_TRUE(plot.desk.redo());
    EXPECT_EQ(plot.picture(), after);
    EXPECT_EQ(plot.canvasState(), stateAfter);
}

// Undone later, only the drawing's own pixels go back: the tracks the ticks painted since stay,
// as on a board where it never happened. A picture of another size gives the board before it back.
TEST_P(EachDrawing, UndoneLaterTakesBackOnlyItsOwnPixels)
{
    Plot without;
    Plot with;
    const QImage permanentBefore = with.desk.board().canvas().permanentPicture();
    with.desk.execute(GetParam().make(with));
    const bool resized = with.desk.board().canvas().size() != permanentBefore.size();
    without.tick(40);
    with.tick(40);
    ASSERT_TRUE(with.desk.undo());
    if (resized)
        EXPECT_EQ(with.desk.board().canvas().permanentPicture(), permanentBefore);
    else
        EXPECT_EQ(with.picture(), without.picture());
}

INSTANTIATE_TEST_SUITE_P(Board, EachDrawing, ::testing::ValuesIn(Drawings),
    [](const auto &info) { return std::string(info.param.name); });

// The parts of an eraser stroke are one action: one undo takes back the whole stroke, later too,
// and leaves the ticks' track across it.
TEST(EraserStroke, IsOneActionUndoneExactlyWheneverTheUndoComes)
{
    Plot without;
    Plot with;
    const QImage before = with.picture();
    const int actions = with.desk.undoStack().count();
    // What follows the state and the fixes (the analysis window) is not told of each part.
    int changed = 0, drawn = 0;
    QObject::connect(&with.desk, &Desk::changed, [&changed] { ++changed; });
    QObject::connect(&with.desk, &Desk::pictureChanged, [&drawn] { ++drawn; });
    with.erase(with.target(), 6);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(drawn, 8);
    EXPECT_EQ(with.desk.undoStack().count(), actions + 1);
    EXPECT_EQ(with.desk.undoText(), QStringLiteral("ластик"));
    EXPECT_TRUE(with.desk.journal().text().endsWith(
        QStringLiteral("mouse move 147 278\nmouse up 147 278\n")
            .replace(QStringLiteral("147 278"),
                QStringLiteral("%1 %2")
                    .arg(static_cast<int>(with.target().x) + 24)
                    .arg(static_cast<int>(with.target().y) + 18))));
    const QImage erased = with.picture();
    ASSERT_NE(erased, before);
    // A release that ends no stroke is journalled, but nothing to undo.
    with.desk.execute(new EraserStroke(with.desk, EraserStroke::Part::Release, 9, 9));
    EXPECT_EQ(with.desk.undoStack().count(), actions + 1);
    EXPECT_TRUE(with.desk.journal().text().endsWith("mouse up 9 9\n"));

    with.tick(60); // the target's track goes on over the wiped patches
    without.tick(60);
    ASSERT_TRUE(with.desk.undo());
    EXPECT_EQ(with.picture(), without.picture());
    ASSERT_TRUE(with.desk.redo());
    EXPECT_NE(with.picture(), without.picture());
}

// Within one second an entry and an eraser stroke: undoing each takes back only its own part,
// in either order.
TEST(EraserStroke, AndAnEntryInTheSameSecondUndoEachTheirOwnPart)
{
    Plot plot;
    const QImage board = plot.picture();
    const std::size_t fixes = plot.desk.state().FixLogs[0].Fixes().size();
    plot.enter(Control::LabeledEdit7, 50);
    const QImage entered = plot.picture(); // the target moved on the board
    plot.erase({325, 100}, 2);
    ASSERT_NE(plot.picture(), entered);

    ASSERT_TRUE(plot.desk.undo()); // the stroke
    EXPECT_EQ(plot.picture(), entered);
    EXPECT_EQ(plot.fields.text(Control::LabeledEdit7), QStringLiteral("50"));
    EXPECT_EQ(plot.desk.state().FixLogs[0].Fixes().size(), fixes + 1);
    ASSERT_TRUE(plot.desk.undo()); // the entry
    EXPECT_EQ(plot.picture(), board);
    EXPECT_EQ(plot.desk.state().FixLogs[0].Fixes().size(), fixes);

    // The other way round: the entry's same-second undo leaves the stroke on the board.
    plot.erase({325, 100}, 2);
    const QImage erased = plot.picture();
    plot.enter(Control::LabeledEdit7, 50);
    ASSERT_TRUE(plot.desk.undo());
    EXPECT_EQ(plot.picture(), erased);
    EXPECT_EQ(plot.desk.state().FixLogs[0].Fixes().size(), fixes);
    ASSERT_TRUE(plot.desk.undo());
    EXPECT_EQ(plot.picture(), board);
}

// Saving a picture is journalled but changes nothing of the plot and cannot be undone; a failed
// write says why. An action that changed nothing is journalled and no change either.
TEST(Files, SavingAPictureIsJournalledButNoChange)
{
    QTemporaryDir dir;
    Plot plot;
    plot.desk.markSaved();
    const int actions = plot.desk.undoStack().count();
    const QString path = dir.filePath("plot.png");
    EXPECT_EQ(plot.desk.execute(new SavePicture(plot.desk, path)), std::nullopt);
    EXPECT_TRUE(QImage(path).size() == QSize(BoardSize, BoardSize));
    EXPECT_TRUE(plot.desk.journal().text().endsWith("menu MSave " + path + "\n"));
    EXPECT_FALSE(plot.desk.hasChanges());
    EXPECT_EQ(plot.desk.undoStack().count(), actions);

    const auto failure = plot.desk.execute(new SavePicture(plot.desk, dir.filePath("no/x.bmp")));
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->contains("x.bmp"));
    plot.desk.execute(new NothingChanged(plot.desk, QStringLiteral("click Button2")));
    EXPECT_TRUE(plot.desk.journal().text().endsWith("click Button2\n"));
    EXPECT_FALSE(plot.desk.hasChanges());

    // After a change it stays a change.
    plot.desk.execute(new GridRefresh(plot.desk));
    plot.desk.execute(new SavePicture(plot.desk, path));
    EXPECT_TRUE(plot.desk.hasChanges());
}

// Sessions and exercises through the door: an open or a start replaces the plot (no undo
// outlives it), a save marks it saved, a refusal changes nothing; the start is journalled with
// its seed, the end before it happens, sessions not at all.
TEST(Files, SessionsAndExercisesAreCountedAsTheyReplaceOrSaveThePlot)
{
    Plot plot;
    const auto journalled = [&plot] { return plot.desk.journal().text(); };
    const auto refused = [](const QString &) { return std::optional(QStringLiteral("нет")); };
    const auto done = [](const QString &) { return std::optional<QString>(); };

    EXPECT_EQ(plot.desk.execute(new SaveSession(plot.desk, "a.vsession", refused)),
        QStringLiteral("нет"));
    EXPECT_TRUE(plot.desk.hasChanges());
    EXPECT_TRUE(plot.desk.undoStack().canUndo());
    const QString before = journalled();
    EXPECT_EQ(plot.desk.execute(new SaveSession(plot.desk, "a.vsession", done)), std::nullopt);
    EXPECT_FALSE(plot.desk.hasChanges());
    EXPECT_TRUE(plot.desk.undoStack().canUndo());
    plot.desk.execute(new OpenSession(plot.desk, "b.vsession", refused));
    EXPECT_TRUE(plot.desk.undoStack().canUndo());
    plot.desk.execute(new OpenSession(plot.desk, "b.vsession", done));
    EXPECT_FALSE(plot.desk.undoStack().canUndo());
    EXPECT_EQ(journalled(), before);

    plot.desk.execute(new GridRefresh(plot.desk));
    std::optional<std::uint64_t> given;
    plot.desk.execute(new StartExercise(plot.desk, "x.json", std::nullopt,
        [](const QString &, std::optional<std::uint64_t>) { return std::nullopt; }));
    EXPECT_TRUE(plot.desk.undoStack().canUndo()); // refused: nothing started
    plot.desk.execute(new StartExercise(plot.desk, "/ex/crossing.json", 7,
        [&given](const QString &, std::optional<std::uint64_t> seed) {
            given = seed;
            return std::optional<std::uint64_t>(7);
        }));
    EXPECT_EQ(given, 7u);
    EXPECT_FALSE(plot.desk.undoStack().canUndo());
    EXPECT_TRUE(plot.desk.hasChanges());
    EXPECT_TRUE(journalled().endsWith("click Button1\nexercise /ex/crossing.json 7\n"));

    QString seenAtTheEnd;
    plot.desk.execute(new EndExercise(plot.desk, [&] { seenAtTheEnd = journalled(); }));
    EXPECT_TRUE(seenAtTheEnd.endsWith("menu MExerciseStop\n"));
    EXPECT_EQ(journalled(), seenAtTheEnd);
}

// The journal window retells the board's and the files' lines: a stroke once, by its press.
TEST(OperatorRecord, RetellsTheBoardsAndTheFilesActions)
{
    EXPECT_EQ(OperatorRecord(QStringLiteral(
                  "click SBErase\nmouse down 1 2\nmouse move 3 4\nmouse up 3 4\nclick SBErase\n"
                  "tick 2\nclick Button2\nclick Button1\nmenu MOpen /карты/район 5.bmp\n"
                  "menu MSave C:\\work\\plot.png\nmenu N2\nexercise /ex/cross ing.json 77\n"
                  "menu MExerciseStop\n")),
        QStringList({"00:00:00 ластик", "00:00:00 стерто ластиком", "00:00:00 ластик",
            "00:00:02 номер цели нанесен на планшет", "00:00:02 сетка обновлена",
            "00:00:02 открыт рисунок район 5.bmp", "00:00:02 сохранен рисунок plot.png",
            "00:00:02 рисунок восстановлен", "00:00:02 начато учение cross ing.json",
            "00:00:02 учение завершено"}));
}

} // namespace
} // namespace varmet
