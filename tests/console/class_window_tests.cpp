// The class journal over runs kept by the console itself: filters and numeric sorting, the CSV of
// what the table shows, a run's report and its replay (which is no new run).

#include "console/app/program_windows.h"
#include "console/class_record/class_desk.h"
#include "console/class_record/class_window.h"
#include "console/exercise_desk/exercise_desk.h"
#include "console/main_window/manual_text.h"
#include "console/scripting/script_runner.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace varmet;

namespace {

class ClassJournal : public ::testing::Test
{
protected:
    void SetUp() override
    {
        run("store sqlite:" + dir.filePath("class.db"));
        solvedRun(Trainee {"Иванов", "3"}, 10);
        solvedRun(Trainee {"Иванова", "4"}, 100);
        solvedRun(Trainee {"=Петров, \"Петя\"", "3"}, 9);
        ASSERT_TRUE(output.filter("message").isEmpty()) << output.join('\n').toStdString();
        windows.classes.JournalClick();
    }

    void run(const QString &line) { runner.runLine(line); }

    // The crossing target solved and hit, with the seed given.
    void solvedRun(const Trainee &trainee, int seed)
    {
        windows.classes.setTrainee(trainee);
        run(QStringLiteral("exercise " VARMET_EXERCISES_DIR "/crossing.json %1").arg(seed));
        for (const char *line :
            {"step LabeledEdit7 up 45", "step LabeledEdit8 up 60", "step LabeledEdit9 down 90",
                "step LabeledEdit1 down 8", "tick 20", "menu MExerciseStop"})
            run(QString::fromLatin1(line));
    }

    ClassWindow &window() { return windows.classes.window(); }
    QString cell(int row, int column)
    {
        auto *table = window().findChild<QTableView *>("ClassRuns");
        return table->model()->index(row, column).data().toString();
    }
    int storedRuns()
    {
        auto store = windows.classes.keeper().journalStore();
        return static_cast<int>(
            std::get<std::vector<RunSummary>>(std::get<RunStore *>(store)->Runs()).size());
    }

    QTemporaryDir dir;
    ProgramWindows windows;
    QStringList output;
    ScriptRunner runner {windows, [this](const QString &line) { output << line; }};
};

} // namespace

TEST_F(ClassJournal, FiltersByTraineeGroupAndDateAndSortsSeedsAsNumbers)
{
    EXPECT_EQ(window().shownRuns(), 3);
    auto *table = window().findChild<QTableView *>("ClassRuns");
    table->sortByColumn(5, Qt::AscendingOrder); // "Зерно"
    EXPECT_EQ(cell(0, 5), "9");
    EXPECT_EQ(cell(1, 5), "10");
    EXPECT_EQ(cell(2, 5), "100");
    EXPECT_EQ(cell(0, 8), "завершено");

    window().findChild<QLineEdit *>("ClassFilterTrainee")->setText("иван");
    EXPECT_EQ(window().shownRuns(), 2);
    window().findChild<QLineEdit *>("ClassFilterGroup")->setText("4");
    EXPECT_EQ(window().shownRuns(), 1);
    EXPECT_EQ(cell(0, 0), "Иванова");
    window().findChild<QLineEdit *>("ClassFilterTrainee")->clear();
    window().findChild<QLineEdit *>("ClassFilterGroup")->clear();

    // Runs of today only: all of them; from tomorrow on: none.
    window().findChild<QAbstractButton *>("ClassFilterByDate")->setChecked(true);
    auto *from = window().findChild<QDateEdit *>("ClassFilterFrom");
    auto *to = window().findChild<QDateEdit *>("ClassFilterTo");
    from->setDate(QDate::currentDate());
    to->setDate(QDate::currentDate());
    EXPECT_EQ(window().shownRuns(), 3);
    from->setDate(QDate::currentDate().addDays(1));
    to->setDate(QDate::currentDate().addDays(1));
    EXPECT_EQ(window().shownRuns(), 0);
}

// The journal, left open, shows a run of this console as it starts and as it ends, without
// "Обновить".
TEST_F(ClassJournal, FollowsTheRunsOfThisConsoleWhileShown)
{
    ASSERT_TRUE(window().isVisible());
    EXPECT_EQ(window().shownRuns(), 3);
    windows.classes.setTrainee(Trainee {"Сидоров", "5"});
    run(QStringLiteral("exercise " VARMET_EXERCISES_DIR "/crossing.json 7"));
    EXPECT_EQ(window().shownRuns(), 4);
    EXPECT_EQ(cell(0, 8), "идет");
    run("menu MExerciseStop");
    EXPECT_EQ(window().shownRuns(), 4);
    EXPECT_EQ(cell(0, 8), "завершено");
}

TEST_F(ClassJournal, ExportsWhatTheTableShowsAsCsvWithQuotedFields)
{
    window().findChild<QLineEdit *>("ClassFilterGroup")->setText("3");
    const QString path = dir.filePath("class.csv");
    ASSERT_EQ(window().exportCsv(path), std::nullopt);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3); // the header and the two runs of group 3
    EXPECT_TRUE(lines[0].startsWith("Курсант,Группа,Учение,Начало,Конец,Зерно"))
        << lines[0].toStdString();
    // Quoted, and a name a spreadsheet would take for a formula kept as text.
    EXPECT_TRUE(lines.filter("\"'=Петров, \"\"Петя\"\"\",3,").size() == 1)
        << lines.join('\n').toStdString();
    EXPECT_EQ(window().exportCsv(dir.filePath("нет/такой/папки/class.csv")).has_value(), true);
}

TEST_F(ClassJournal, WritesARunsReportAndReplaysItWithoutKeepingANewRun)
{
    window().selectRow(0);
    const std::optional<QUuid> id = window().selectedRun();
    ASSERT_TRUE(id);
    const QString trainee = cell(0, 0);
    const QString pdf = dir.filePath("run.pdf");
    ASSERT_EQ(window().saveReport(*id, pdf), std::nullopt);
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", {pdf});
    ASSERT_TRUE(pdfinfo.waitForFinished(-1));
    const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    EXPECT_TRUE(info.contains("Итоги учения «Цель на пересекающем курсе»: " + trainee))
        << info.toStdString();

    ASSERT_EQ(window().replay(*id), std::nullopt);
    ASSERT_TRUE(windows.replay.isRunning());
    while (windows.replay.isRunning() && !windows.replay.isFinished())
        windows.replay.stepOneTick();
    // The run replayed reached its end as recorded, with the same score.
    ASSERT_TRUE(windows.form.exerciseDesk().exercise());
    EXPECT_TRUE(windows.form.exerciseDesk().exercise()->ended());
    EXPECT_TRUE(windows.form.exerciseDesk().Score().Targets.front().Median->Hit);
    windows.replay.stop();
    EXPECT_EQ(storedRuns(), 3);
}

TEST(ClassDeskOutbox, RunsWaitingForAnUnreachableServerAreCountedInTheStatusBar)
{
    QTemporaryDir dir;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit()); // the local store goes here
    {
        ProgramWindows windows;
        windows.form.show();
        QStringList output;
        ScriptRunner runner {windows, [&](const QString &line) { output << line; }};
        const QString nowhere = QString::fromLatin1(QUrl::toPercentEncoding(dir.filePath("none")));
        runner.runLine("store postgresql://ivanov@" + nowhere + ":5432/varmet");
        EXPECT_EQ(output.filter("message").size(), 1); // not reachable now
        for (int seed : {1, 2}) {
            runner.runLine(
                QStringLiteral("exercise " VARMET_EXERCISES_DIR "/crossing.json %1").arg(seed));
            runner.runLine("tick 5");
            runner.runLine("menu MExerciseStop");
        }
        auto *status = windows.form.findChild<QLabel *>("ClassRecordStatus");
        ASSERT_TRUE(status);
        EXPECT_EQ(status->text(), "Ждут отправки на сервер класса: 2");
        QApplication::processEvents();
        EXPECT_TRUE(QFile::exists(dir.filePath("data/console_tests/class-record.db")));
    }
    qputenv("XDG_DATA_HOME", dataHome);
}

TEST_F(ClassJournal, AnotherExerciseOpenedFromASessionDoesNotEndTheRunStarted)
{
    // A session of another exercise, saved while it ran.
    run(QStringLiteral("exercise " VARMET_EXERCISES_DIR "/two_targets.json 5"));
    run("tick 3");
    run("session save " + dir.filePath("other.vsession"));
    // The run started next is left for that session, which is then ended.
    run(QStringLiteral("exercise " VARMET_EXERCISES_DIR "/crossing.json 6"));
    run("session open " + dir.filePath("other.vsession"));
    run("menu MExerciseStop");
    ASSERT_TRUE(output.filter("message").isEmpty()) << output.join('\n').toStdString();
    output.clear();
    run("runs");
    // The three of the fixture, the session's own run (never ended) and the crossing run left in
    // progress: nothing of the two-target exercise under the crossing run's name.
    EXPECT_EQ(output.filter("state=finished").size(), 3) << output.join('\n').toStdString();
    EXPECT_EQ(output
                  .filter("exercise=Цель на пересекающем курсе seed=6 targets=0 hits=0 "
                          "state=in-progress")
                  .size(),
        1)
        << output.join('\n').toStdString();
}

// The progress chart labels whole run numbers only, at most 11 of them, evenly spaced, and its
// axis reaches the last run without a run's width to spare; 13 runs were labelled 1, 2, 3, 4, 5,
// 7 … at 2.2, 3.4, 4.6.
TEST(ClassProgress, TheRunAxisIsLabelledAtWholeRuns)
{
    for (std::size_t runs = 0; runs <= 250; ++runs) {
        const RunAxis axis = RunAxisFor(runs);
        ASSERT_GE(axis.ticks, 2) << runs;
        EXPECT_LE(axis.ticks, 11) << runs;
        const int span = axis.last - 1;
        EXPECT_EQ(span % (axis.ticks - 1), 0) << runs;
        const int step = span / (axis.ticks - 1);
        EXPECT_GE(axis.last, static_cast<int>(std::max<std::size_t>(runs, 2))) << runs;
        EXPECT_LT(axis.last - step, static_cast<int>(std::max<std::size_t>(runs, 2))) << runs;
    }
}

// The manual names every menu of the window as the program assembles it, rooms' menus included
// ("Класс" was missing), and every item of each by its first word.
TEST(Manual, NamesEveryMenuAndItemOfTheWindow)
{
    ProgramWindows windows;
    const QString manual = operatorManualText();
    QStringList missing;
    for (QAction *menu : windows.form.menuBar()->actions()) {
        const QString title = menu->text().remove(QLatin1Char('&'));
        if (!manual.contains(QStringLiteral("«%1»").arg(title)))
            missing << title;
        for (QAction *item : menu->menu()->actions()) {
            // By its first word: the manual writes "Отменить: …" and "«×2»" for the items that
            // change their text.
            const QString name
                = item->text().remove(QLatin1Char('&')).section(QLatin1Char(' '), 0, 0);
            if (!item->isSeparator() && !manual.contains(QStringLiteral("«%1").arg(name)))
                missing << title + " → " + name;
        }
    }
    EXPECT_EQ(missing, QStringList());
}
