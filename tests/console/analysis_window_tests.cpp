// The analysis window through the real windows: "Применить" leaves the board and the fields as the
// equivalent steps would, the window follows the ticks while shown, and its list edits the log.

#include "console_fixture.h" // texts shown as texts

#include "console/analysis_window/analysis_snapshot.h"
#include "console/analysis_window/analysis_texts.h"
#include "console/analysis_window/analysis_window.h"
#include "console/analysis_window/fix_table.h"
#include "console/app/program_windows.h"
#include "console/exercise_desk/exercise_desk.h"
#include "console/scripting/script_runner.h"
#include "console/widget_kit/labeled_edit.h"

#include "board/board.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest.h>

using namespace varmet;

namespace {

struct Program
{
    Program()
    {
        for (QTimer *timer : windows.form.findChildren<QTimer *>())
            timer->stop(); // the script ticks
    }
    void run(const QStringList &lines)
    {
        for (const QString &line : lines)
            runner.runLine(line);
    }
    QString text(const char *name) const
    {
        return windows.form.findChild<QLineEdit *>(QLatin1String(name))->text();
    }
    // Every field the operator reads, but those of the fix log and the ship's clock.
    std::map<QString, QString> fields() const
    {
        std::map<QString, QString> shown;
        for (const QLineEdit *edit : windows.form.findChildren<QLineEdit *>())
            shown[edit->objectName()] = edit->text();
        for (const char *fromLog : {"LabeledEdit10", "LabeledEdit13", "LabeledEdit12"})
            shown.erase(QLatin1String(fromLog));
        return shown;
    }
    QAbstractButton *button(const char *name) const
    {
        return windows.analysis.findChild<QAbstractButton *>(QLatin1String(name));
    }
    QTableView *table() const { return windows.analysis.findChild<QTableView *>("FixTable"); }
    QString cell(int row, int column) const
    {
        return table()->model()->index(row, column).data().toString();
    }

    ProgramWindows windows;
    QStringList printed;
    ScriptRunner runner {windows, [this](const QString &line) { printed << line; }};
};

// The golden session up to its "Применить".
QStringList SessionBeforeApply()
{
    QFile file(QStringLiteral(SCENARIO_DIR "/analysis_session.scn"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    return lines.mid(0, lines.indexOf(QStringLiteral("apply")));
}

// "Применить" puts the target where the fit has it; the fields show the fit rounded, and the
// displays formed from them ("КУц", "Тетта") stay whole numbers.
TEST(AnalysisWindow, ApplyShowsTheFitRoundedInTheFields)
{
    Program program;
    program.run(SessionBeforeApply());
    const auto *fit = std::get_if<FitSolution>(program.windows.analysis.result());
    ASSERT_NE(fit, nullptr);
    const FireControlState &state = program.windows.form.state();
    const long double distance = PredictedDistance(fit->Motion, state.OwnTrack, state.TickCount);
    program.run({"apply"});
    EXPECT_EQ(program.text("LabeledEdit9").toLongLong(), std::llrint(fit->Course) % 360);
    EXPECT_EQ(program.text("LabeledEdit1").toLongLong(), std::llrint(fit->Speed));
    EXPECT_EQ(program.text("LabeledEdit8").toLongLong(), std::llrint(distance));
    program.run({"tick 2"});
    for (const char *display : {"LabeledEdit24", "LabeledEdit25"}) {
        bool whole = false;
        program.text(display).toInt(&whole);
        EXPECT_TRUE(whole) << display << ' ' << program.text(display).toStdString();
    }
}

// The list keeps the fit's residuals from tick to tick; they must stay those of the fixes as they
// stand, also as fixes are added under the same fit.
TEST(AnalysisWindow, TheListsFitResidualsAreThoseOfTheLogAsItStands)
{
    Program program;
    program.run(SessionBeforeApply());
    const auto expectFreshResiduals = [&program] {
        const auto *fit = std::get_if<FitSolution>(program.windows.analysis.result());
        ASSERT_NE(fit, nullptr);
        const FireControlState &state = program.windows.form.state();
        const int number = program.windows.form.selectedSlot();
        const AnalysisSnapshot fresh
            = TakeSnapshot(state.Slots[number], state.FixLogs[static_cast<std::size_t>(number - 1)],
                state.OwnTrack, state.TickCount, fit);
        ASSERT_EQ(program.table()->model()->rowCount(), static_cast<int>(fresh.rows.size()));
        int withResidual = 0;
        for (std::size_t row = 0; row < fresh.rows.size(); ++row) {
            const std::optional<long double> &residual = fresh.rows[row].fitResidual;
            const QString expected = residual ? FixedText(*residual, 1) : QString();
            EXPECT_TRUE(program.cell(static_cast<int>(row), FixTableModel::FitResidual)
                            .startsWith(expected))
                << row;
            withResidual += residual ? 1 : 0;
        }
        EXPECT_GT(withResidual, 0);
    };
    program.run({"tick 3", "step LabeledEdit7 up 1", "tick 2"});
    expectFreshResiduals();
    program.run({"tick 5", "step LabeledEdit7 down 1", "tick 3"});
    expectFreshResiduals();
}

TEST(AnalysisWindow, FollowsTheTicksWhileShownAndEditsTheLog)
{
    Program program;
    program.run({"step LabeledEdit7 up 60", "step LabeledEdit8 up 40", "menu MBearings", "tick"});
    EXPECT_EQ(program.table()->model()->rowCount(), 0); // still pending
    program.run({"tick"});
    ASSERT_EQ(program.table()->model()->rowCount(), 2);
    EXPECT_EQ(program.cell(0, FixTableModel::Value), "П 60°");
    // Another trial course takes the target back along another track to the fix's time.
    const QString residual = program.cell(0, FixTableModel::TrialResidual);
    program.run({"tick 30", "step LabeledEdit9 up 90", "tick"});
    EXPECT_NE(program.cell(0, FixTableModel::TrialResidual), residual);
    EXPECT_FALSE(program.button("ButtonApply")->isEnabled());

    // "оценка" in the list is the desk's command: journalled, undone from "Правка".
    const QModelIndex mark = program.table()->model()->index(1, FixTableModel::Estimate);
    const bool was = program.windows.form.state().FixLogs[0].Fixes()[1].Estimate;
    ASSERT_TRUE(program.table()->model()->setData(
        mark, was ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(program.windows.form.state().FixLogs[0].Fixes()[1].Estimate, !was);
    EXPECT_TRUE(program.windows.form.journal().text().endsWith(
        QStringLiteral("estimate 2 %1\n").arg(was ? "off" : "on")));
    program.windows.form.UndoActionClick();
    EXPECT_EQ(program.windows.form.state().FixLogs[0].Fixes()[1].Estimate, was);
    EXPECT_EQ(program.table()->model()->data(mark, Qt::CheckStateRole),
        was ? Qt::Checked : Qt::Unchecked);

    // Hidden, it rests; shown again, it catches up.
    program.windows.analysis.hide();
    program.run({"step LabeledEdit7 up 5", "tick 2"});
    EXPECT_EQ(program.table()->model()->rowCount(), 2);
    program.run({"menu MBearings"});
    EXPECT_EQ(program.table()->model()->rowCount(), 3);

    program.table()->selectRow(1);
    program.button("ButtonDeleteFix")->click();
    program.run({"fixes"});
    EXPECT_EQ(program.printed.mid(program.printed.size() - 3),
        (QStringList {"fix 0 bearing 60", "fix 33 bearing 65", "fixes 2"}));

    // Clearing asks first; a fix still pending goes with the log.
    QStringList asked;
    bool answer = false;
    program.windows.analysis.confirm = [&](const QString &question) {
        asked << question;
        return answer;
    };
    program.run({"step LabeledEdit7 up 5"});
    program.button("ButtonClearLog")->click();
    EXPECT_EQ(program.table()->model()->rowCount(), 2);
    answer = true;
    program.button("ButtonClearLog")->click();
    program.run({"tick 2", "fixes"});
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(program.printed.back(), "fixes 0");
}

} // namespace

namespace {

QStringList ScenarioLines(const char *name)
{
    QFile file(QStringLiteral(SCENARIO_DIR "/%1.scn").arg(QLatin1String(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    return QString::fromUtf8(file.readAll()).split(u'\n');
}

QString labelText(const Program &program, const char *name)
{
    return program.windows.analysis.findChild<QLabel *>(QLatin1String(name))->text();
}

// Where the window's controls stand, top to bottom.
std::vector<QPoint> controlPlaces(const Program &program)
{
    std::vector<QPoint> places;
    for (const char *name :
        {"ButtonSolve", "ButtonApply", "HitOdds", "ButtonNewLegAtManoeuvre", "SteeringAdvice"}) {
        const auto *w = program.windows.analysis.findChild<QWidget *>(QLatin1String(name));
        places.push_back(w->mapTo(&program.windows.analysis, QPoint()));
    }
    return places;
}

// The labels whose text needs more height than they have: it would be cut off or run under the
// control below.
QStringList overflowingTexts(const Program &program)
{
    QApplication::processEvents();
    QStringList names;
    for (const char *name : {"SlotCaption", "ResidualSummary", "SolutionText", "ManoeuvreWarning",
             "SteeringAdvice", "HitOdds"}) {
        const auto *label = program.windows.analysis.findChild<QLabel *>(QLatin1String(name));
        if (label->heightForWidth(label->width()) > label->height())
            names << name;
    }
    return names;
}

// The headers of the fix list too narrow for their text.
QStringList clippedHeaders(const Program &program)
{
    QStringList names;
    const QHeaderView *header = program.table()->horizontalHeader();
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int i = 0; i < header->count(); ++i) {
        const QString text = header->model()->headerData(i, Qt::Horizontal).toString();
        if (header->fontMetrics().size(0, text).width() + margin > header->sectionSize(i))
            names << text;
    }
    return names;
}

} // namespace

TEST(AnalysisWindow, AdviceKeepsUpWithTheLogAndTheLayoutStands)
{
    Program program;
    const QStringList lines = ScenarioLines("analysis_bearings_only");
    const auto firstSolve = lines.indexOf(QStringLiteral("solve"));
    program.run(lines.mid(0, firstSolve));
    QApplication::processEvents();
    const std::vector<QPoint> places = controlPlaces(program);
    EXPECT_EQ(clippedHeaders(program), QStringList());

    // One leg of own ship: no distance, and where to steer for one.
    program.run({"solve"});
    QApplication::processEvents();
    EXPECT_TRUE(labelText(program, "SteeringAdvice").startsWith("Совет: курс ПЛ"));
    EXPECT_TRUE(labelText(program, "HitOdds").isEmpty());
    EXPECT_FALSE(program.windows.analysis.resultOutOfDate());
    EXPECT_EQ(controlPlaces(program), places);

    // The log grows: the result says it is out of date at once, and so after a change of σ.
    program.run({"step LabeledEdit7 up 1", "tick 3"});
    EXPECT_TRUE(program.windows.analysis.resultOutOfDate());
    EXPECT_TRUE(labelText(program, "SolutionText").startsWith("УСТАРЕЛО"));
    EXPECT_EQ(overflowingTexts(program), QStringList());
    program.run({"solve"});
    EXPECT_FALSE(labelText(program, "SolutionText").startsWith("УСТАРЕЛО"));
    program.run({"sigma 0.5 5"});
    EXPECT_TRUE(program.windows.analysis.resultOutOfDate());
    program.run({"sigma 1 5"});
    EXPECT_FALSE(program.windows.analysis.resultOutOfDate());

    // To the end: the target turned at 10 min; the warning offers the new leg from then on.
    program.run(lines.mid(firstSolve + 1));
    QApplication::processEvents();
    EXPECT_EQ(controlPlaces(program), places);
    EXPECT_FALSE(labelText(program, "ManoeuvreWarning").isEmpty());
    // The fit the test rejects gives odds no one should trust.
    EXPECT_TRUE(labelText(program, "HitOdds").contains("(расчет отвергнут)"));
    EXPECT_EQ(overflowingTexts(program), QStringList());
    // Out of date, a solution and its test still fit their place.
    program.run({"step LabeledEdit7 up 1", "tick 3"});
    EXPECT_TRUE(labelText(program, "SolutionText").startsWith("УСТАРЕЛО"));
    EXPECT_EQ(overflowingTexts(program), QStringList());
    EXPECT_EQ(controlPlaces(program), places);
    // The longest warning, the turn test's with wide numbers, fits its place too.
    ManoeuvreTest turn;
    turn.SigmaBearing = 10;
    turn.CusumLimit = 3;
    turn.TurnLimit = 13.5L;
    turn.TurnSaving = 12345.6L;
    turn.NewLegTick = 35999;
    auto *warning
        = program.windows.analysis.findChild<QLabel *>(QStringLiteral("ManoeuvreWarning"));
    const QString shown = warning->text();
    warning->setText(ManoeuvreText(turn));
    EXPECT_EQ(overflowingTexts(program), QStringList()) << warning->text().toStdString();
    warning->setText(shown);
    program.run({"solve"});
    QAbstractButton *offer = program.button("ButtonNewLegAtManoeuvre");
    ASSERT_TRUE(offer->isEnabled());
    const QString offered = offer->text();
    offer->click();
    const int slot = program.windows.form.selectedSlot();
    const auto newLeg
        = program.windows.form.state().FixLogs[static_cast<std::size_t>(slot - 1)].NewLegTick;
    ASSERT_TRUE(newLeg);
    EXPECT_NEAR(*newLeg, 600, 60);
    EXPECT_EQ(offered, QStringLiteral("Новый галс с %1").arg(TickTimeText(*newLeg)));
    EXPECT_EQ(program.windows.analysis.result(), nullptr);
    EXPECT_FALSE(offer->isEnabled());
}

TEST(AnalysisWindow, TheScoreReadsTheOddsOfTheSlotsPresentSolution)
{
    Program program;
    program.run({QStringLiteral("exercise " VARMET_EXERCISES_DIR "/crossing.json 7")});
    ExerciseDesk &desk = program.windows.form.exerciseDesk();
    QStringList lines = SessionBeforeApply();
    lines.insert(
        lines.indexOf(QStringLiteral("tick 30")) + 1, QStringLiteral("enter LabeledEdit4 1"));
    program.run(lines.mid(0, lines.indexOf(QStringLiteral("solve"))));
    // No fit yet: no odds.
    ASSERT_EQ(desk.Score().Targets.size(), 1u);
    EXPECT_EQ(desk.Score().Targets[0].Slot, 1);
    EXPECT_FALSE(desk.Score().Targets[0].HitProbability);
    program.run({"solve"});
    const auto odds = program.windows.analysis.slotHitProbability(1);
    ASSERT_TRUE(odds);
    EXPECT_EQ(desk.Score().Targets[0].HitProbability, odds);
    // Odds for the exercise's target, 130 m long.
    EXPECT_TRUE(labelText(program, "HitOdds").contains("цель 130 м"));
    EXPECT_FALSE(labelText(program, "HitOdds").contains("отвергнут"));
    EXPECT_FALSE(program.windows.analysis.slotHitProbability(2));
}

TEST(AnalysisWindow, TheWarningNamesTheTestThatFired)
{
    ManoeuvreTest test;
    test.SigmaBearing = 0.58L;
    test.Freedom = 40;
    test.ChiSquare = 30;
    test.ChiSquareLimit = 63.7L;
    test.CusumLimit = 3;
    test.TwoLegLimit = 15;
    test.TwoLegSaving = 14.9L;
    EXPECT_TRUE(ManoeuvreText(test).isEmpty());
    test.TwoLegSaving = 17.26L;
    test.NewLegTick = 900;
    const QString text = ManoeuvreText(test);
    EXPECT_TRUE(text.contains(QStringLiteral("два галса объясняют замеры лучше одного (χ² меньше "
                                             "на 17.3 > 15.0 при σ П 0.58°)")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("«Новый галс с 0:15:00»"))) << text.toStdString();
    // The turn alone.
    test.TwoLegSaving = 14.9L;
    test.TurnLimit = 13.5L;
    test.TurnSaving = 13.5L;
    EXPECT_TRUE(ManoeuvreText(test).isEmpty());
    test.TurnSaving = 14.04L;
    EXPECT_TRUE(ManoeuvreText(test).contains(
        QStringLiteral("поворот объясняет замеры лучше одного галса (χ² меньше на 14.0 > 13.5 "
                       "при σ П 0.58°)")))
        << ManoeuvreText(test).toStdString();
}
