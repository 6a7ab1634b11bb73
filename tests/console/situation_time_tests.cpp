// The dock "Обстановка" and the control of time through the real windows: a target that will pass
// inside the limit is red, one that has passed is not; the main timer's period runs as many ticks
// as the speed says, none while paused, and the journal keeps the ticks and the changes.

#include "console/app/program_windows.h"
#include "console/exercise_desk/exercise_desk.h"
#include "console/scripting/script_runner.h"
#include "exercise/report.h"

#include <QApplication>
#include <QBuffer>
#include <QDockWidget>
#include <QLabel>
#include <QPdfWriter>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

using namespace varmet;

namespace {

struct Program
{
    Program()
    {
        for (QTimer *timer : windows.form.findChildren<QTimer *>())
            timer->stop(); // the test runs the periods
    }
    void run(const QStringList &lines)
    {
        for (const QString &line : lines)
            runner.runLine(line);
    }
    QString clock() const { return windows.form.findChild<QLabel *>("Label12")->text(); }
    // One period of the real main timer, as its timeout delivers it.
    void period()
    {
        QTimer *timer = windows.form.findChild<QTimer *>("Timer1");
        ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
    }

    ProgramWindows windows;
    QStringList printed;
    ScriptRunner runner {windows, [this](const QString &line) { printed << line; }};
};

} // namespace

TEST(SituationDock, MarksATargetPassingInsideTheLimitRed)
{
    Program p;
    // Slot 1 closes to pass over own ship; slot 2 draws away north.
    p.run({"step LabeledEdit7 up 90", "step LabeledEdit8 up 40", "step LabeledEdit9 down 90",
        "step LabeledEdit1 down 8", "tick", "step SpinEdit2 up", "step LabeledEdit4 up 2",
        "step LabeledEdit7 up 45", "step LabeledEdit8 up 60", "step LabeledEdit1 up 10", "tick 2",
        "menu MSituation"});
    QDockWidget *dock = p.windows.form.findChild<QDockWidget *>("SituationDock");
    ASSERT_TRUE(dock->isVisible());
    auto *table = dock->findChild<QTableWidget *>("SituationTable");
    const auto background
        = [table](int row, int column) { return table->item(row, column)->background().color(); };
    const QColor white(Qt::white);
    EXPECT_NE(background(0, 1), white);
    EXPECT_EQ(background(1, 1), white);
    EXPECT_EQ(background(2, 1), white);
    EXPECT_EQ(table->item(0, 7)->text(), "19:58");
    EXPECT_EQ(table->item(1, 7)->text(), "—");
    EXPECT_EQ(table->item(2, 1)->text(), "");
    // The table follows the ticks while shown.
    p.run({"tick 60"});
    EXPECT_EQ(table->item(0, 7)->text(), "18:58");
}

// A target just west of north: its bearing of 359.6° is shown as 0, as the fields hold it, not 360.
TEST(SituationDock, ABearingJustWestOfNorthIsShownAsZero)
{
    Program p;
    p.run({"enter LabeledEdit7 359", "enter LabeledEdit8 40", "enter LabeledEdit9 90",
        "enter LabeledEdit1 20", "menu MSituation", "tick 5", "situation"});
    auto *table = p.windows.form.findChild<QTableWidget *>("SituationTable");
    EXPECT_EQ(table->item(0, 2)->text(), "0");
    ASSERT_FALSE(p.printed.isEmpty());
    EXPECT_TRUE(p.printed.first().startsWith("target 1 number=1 bearing=359.6 "))
        << p.printed.first().toStdString();
}

// A target closing at one knot from 290 cables reaches its closest approach in 1739:49: the
// column, sized for "> 999:59", says so rather than cutting the time; the hint has it exactly.
TEST(SituationDock, ALongTimeToTheClosestApproachIsNotCut)
{
    Program p;
    p.run({"enter LabeledEdit6 10", "enter LabeledEdit7 1", "enter LabeledEdit8 290",
        "enter LabeledEdit9 0", "enter LabeledEdit1 9", "menu MSituation", "tick 2", "situation"});
    ASSERT_FALSE(p.printed.isEmpty());
    EXPECT_TRUE(p.printed.first().contains(" tcpa=1739:49 ")) << p.printed.first().toStdString();
    auto *table = p.windows.form.findChild<QTableWidget *>("SituationTable");
    EXPECT_EQ(table->item(0, 7)->text(), "> 999:59");
    EXPECT_EQ(table->item(0, 7)->toolTip(), "1739:49");
}

TEST(TimeControl, APeriodRunsTheSpeedsTicksNoneWhilePausedAndTheJournalKeepsThem)
{
    Program p;
    p.period();
    EXPECT_EQ(p.clock(), "0. 0 - 1");
    p.run({"speed 5"});
    p.period();
    EXPECT_EQ(p.clock(), "0. 0 - 6");
    p.run({"pause"});
    p.period();
    p.period();
    EXPECT_EQ(p.clock(), "0. 0 - 6");
    p.run({"resume", "speed 10"});
    p.period();
    EXPECT_EQ(p.clock(), "0. 0 - 16");
    EXPECT_EQ(p.windows.form.journal().text().toStdString(),
        "tick 1\nspeed 5\ntick 5\npause\nresume\nspeed 10\ntick 10\n");
    EXPECT_THROW(p.run({"speed 3"}), ScriptError);
}

TEST(ExerciseScore, ThePictureOfThePassComesWithTheTruthOnly)
{
    Program p;
    p.run({QStringLiteral("exercise " SCENARIO_DIR "/exercises/keyed_crossing.json"),
        "step LabeledEdit7 up 45", "step LabeledEdit8 up 60", "step LabeledEdit9 down 94",
        "step LabeledEdit1 down 8", "tick 2", "menu MExerciseScore"});
    auto *text = p.windows.form.findChild<QTextBrowser *>("ScoreText");
    const auto pass = [text] {
        return text->document()
            ->resource(QTextDocument::ImageResource, QUrl("pass1.png"))
            .value<QImage>();
    };
    EXPECT_FALSE(text->toHtml().contains("pass1.png"));
    // The board's picture says what its true tracks are in the window's own letters: drawn on it
    // and shrunk with it they could not be read.
    auto *legend = p.windows.form.findChild<QLabel *>("ScorePictureLegend");
    ASSERT_TRUE(legend);
    EXPECT_FALSE(legend->isVisibleTo(legend->window()));
    p.run({"menu MExerciseStop"});
    EXPECT_TRUE(legend->isVisibleTo(legend->window()));
    EXPECT_TRUE(legend->text().startsWith("Зелёным — истинные пути целей"))
        << legend->text().toStdString();
    ASSERT_TRUE(text->toHtml().contains("pass1.png"));
    const QImage picture = pass();
    ASSERT_FALSE(picture.isNull());
    // Target (green), torpedo (blue) and the closest distance (red) are all drawn.
    bool green = false, blue = false, red = false;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            green = green || (c.green() > 120 && c.red() < 60 && c.blue() < 60);
            blue = blue || (c.blue() > 150 && c.red() < 60 && c.green() < 60);
            red = red || (c.red() > 170 && c.green() < 60 && c.blue() < 60);
        }
    }
    EXPECT_TRUE(green && blue && red);
}

// The lines of a laid-out document that break inside a word or number (no-break spaces count as
// part of one; after a slash, as in "П/п", a line may break).
QStringList BrokenLines(const QTextDocument &document)
{
    const auto gap = [](QChar c) { return c.isSpace() && c != QChar::Nbsp; };
    QStringList broken;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        const QString line = block.text();
        for (int i = 0; i + 1 < layout->lineCount(); ++i) {
            const int end = layout->lineAt(i).textStart() + layout->lineAt(i).textLength();
            if (end > 0 && end < line.size() && !gap(line[end - 1]) && line[end - 1] != u'/'
                && !gap(line[end]))
                broken << line;
        }
    }
    return broken;
}

// At the window's size and on the report's page the full score, odds included, keeps every word
// and number whole (it once read "Вероятнос" over "ть", on the page "Торпед" over "а").
TEST(ExerciseScore, NoWordIsBrokenAcrossLines)
{
    Program p;
    ExerciseDesk &desk = p.windows.form.exerciseDesk();
    desk.hitProbability = [](int) -> std::optional<long double> { return 0.25L; };
    p.run({QStringLiteral("exercise " SCENARIO_DIR "/exercises/keyed_crossing.json"),
        "step LabeledEdit7 up 45", "step LabeledEdit8 up 60", "step LabeledEdit1 down 7", "tick 2",
        "menu MExerciseStop"});
    QApplication::processEvents();
    auto *text = p.windows.form.findChild<QTextBrowser *>("ScoreText");
    ASSERT_TRUE(text->toPlainText().contains("Вероятность попадания"));
    EXPECT_EQ(BrokenLines(*text->document()), QStringList());

    QBuffer pdf;
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    QPdfWriter page(&pdf);
    QTextDocument report;
    LayOutReport(report, ScoreHtml(*desk.exercise(), desk.Score(), ScoreView {true, {}}), page);
    EXPECT_EQ(BrokenLines(report), QStringList());
}
