// A journal from someone else, replayed in the window: it writes only into the replay's scratch
// folder, reads only beside itself, ends the replay (never the program) with "Выход", and any line
// that cannot run ends the replay with its number; long runs of lines leave the window answering.

#include "console/app/desk_settings.h"
#include "console/app/program_windows.h"
#include "console/scripting/script_runner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace varmet;

namespace {

struct Replay
{
    Replay()
    {
        for (QTimer *timer : windows.form.findChildren<QTimer *>())
            timer->stop();
    }
    // Writes `journal` beside the others in the folder and plays it to its end (or its failure).
    void play(const QString &journal)
    {
        const QString path = dir.filePath("hostile.vjournal");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(journal.toUtf8());
        file.close();
        ASSERT_FALSE(windows.replay.start(path, 50));
        while (windows.replay.isRunning() && !windows.replay.isFinished())
            windows.replay.stepOneTick();
    }
    QString messages() const { return output.join('\n'); }

    QTemporaryDir dir;
    QTemporaryDir elsewhere; // stands for the operator's own files
    ProgramWindows windows;
    QStringList output;
    ScriptRunner runner {windows, [this](const QString &line) { output << line; }};
};

TEST(Replay, WritesOnlyIntoItsScratchFolderWhateverPathsTheJournalNames)
{
    Replay replay;
    const QString victim = replay.elsewhere.path();
    const QString dialogsStartIn = DeskSettings::lastFolder();
    replay.play(QStringLiteral("tick 2\nboard %1/board.png\nsession save %1/s.vsession\n"
                               "journal %1/j.vjournal\nwindow %1/w.png\ngrab Form2 %1/f.png\n"
                               "menu MSave %1/picture.bmp\nmenu MSaveSession %1/m.vsession\ntick\n")
                    .arg(victim));
    EXPECT_TRUE(replay.windows.replay.isFinished()) << replay.messages().toStdString();
    EXPECT_EQ(QDir(victim).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(QDir(replay.dir.path()).entryList(QDir::Files), QStringList {"hostile.vjournal"});
    replay.windows.replay.stop(); // the operator's dialogs start where they did
    EXPECT_EQ(DeskSettings::lastFolder(), dialogsStartIn);

    // A write that names no file is refused, with its line.
    Replay nameless;
    nameless.play(QStringLiteral("tick\nboard %1/\n").arg(victim));
    EXPECT_FALSE(nameless.windows.replay.isRunning());
    EXPECT_TRUE(nameless.messages().contains("строка 2: файл"))
        << nameless.messages().toStdString();
}

TEST(Replay, ReadsAnExerciseOrSessionByItsNameBesideTheJournalOnly)
{
    Replay replay;
    const QString exercise = replay.elsewhere.filePath("с пробелом.json");
    ASSERT_TRUE(QFile::copy(EXERCISE_FILE, exercise));
    replay.play(QStringLiteral("exercise %1 7\ntick 3\n").arg(exercise));
    EXPECT_FALSE(replay.windows.replay.isRunning());
    EXPECT_TRUE(replay.messages().contains("строка 1: файл «" + exercise + "» не прочитан"))
        << replay.messages().toStdString();

    // Beside the journal, a path with blanks as the program writes it.
    Replay beside;
    ASSERT_TRUE(QFile::copy(EXERCISE_FILE, beside.dir.filePath("с пробелом.json")));
    beside.play(QStringLiteral("exercise %1 7\ntick 3\nsession open %2/x.vsession\n")
                    .arg(exercise, beside.elsewhere.path()));
    EXPECT_TRUE(beside.messages().contains("строка 3: файл")) << beside.messages().toStdString();
    EXPECT_EQ(beside.windows.form.state().TickCount, 3);
    EXPECT_TRUE(beside.windows.form.journal().text().startsWith(
        "exercise " + beside.dir.filePath("с пробелом.json") + " 7\n"));
}

TEST(Replay, ALineThatCannotRunEndsTheReplayWithItsNumberWhereverItStands)
{
    for (const auto &[journal, expected] : {
             std::pair {"tick 2\nstep LabeledEdit7 up\ntick\nno such line\n",
                 "строка 4: unknown command \"no\""},
             std::pair {"tick 2\ntick 2147483647\n", "строка 2: count 2147483647 is over"},
             std::pair {"release LabeledEdit7\ntick\n", "строка 1: no arrow is held"},
             std::pair {"tick\nmouse down 5 5 middle\n", "строка 2: expected left or right"},
         }) {
        Replay replay;
        replay.play(QString::fromUtf8(journal));
        EXPECT_FALSE(replay.windows.replay.isRunning()) << journal;
        EXPECT_TRUE(replay.messages().contains(
            QStringLiteral("Журнал не воспроизводится: ") + QString::fromUtf8(expected)))
            << replay.messages().toStdString();
    }
}

TEST(Replay, ExitInAJournalEndsTheReplayNotTheProgram)
{
    Replay replay;
    replay.windows.form.show();
    replay.play("tick 2\nmenu MExit\ntick 5\n");
    EXPECT_TRUE(replay.windows.replay.isFinished());
    EXPECT_TRUE(replay.windows.form.isVisible());
    EXPECT_EQ(replay.windows.form.state().TickCount, 2);
    replay.windows.replay.stop();
    EXPECT_TRUE(replay.windows.form.isVisible());
}

TEST(Replay, ALongRunOfLinesGoesInSlicesThatStopCanEnd)
{
    Replay replay;
    QString journal;
    for (int i = 0; i < 50000; ++i)
        journal += QStringLiteral("step LabeledEdit6 up\nstep LabeledEdit6 down\n");
    journal += QStringLiteral("tick\n");
    const QString path = replay.dir.filePath("long.vjournal");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(journal.toUtf8());
    file.close();
    ASSERT_FALSE(replay.windows.replay.start(path, 1));
    replay.windows.replay.stepOneTick();
    // One slice ran and the event loop has the window again.
    EXPECT_GT(replay.windows.form.journal().revision(), 0U);
    EXPECT_LT(replay.windows.form.journal().revision(), 1000U);
    EXPECT_FALSE(replay.windows.replay.isFinished());
    replay.windows.replay.stop();
    EXPECT_FALSE(replay.windows.replay.isRunning());
    EXPECT_EQ(replay.windows.form.state().TickCount, 0);
}

} // namespace
