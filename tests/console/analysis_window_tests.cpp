// The analysis window through the real windows: "Применить" leaves the board and the fields as the
// equivalent steps would, the window follows the ticks while shown, and its list edits the log.

#include "console_fixture.h" // texts shown as texts

#include "console/analysis_window.h"
#include "console/fix_table.h"
#include "console/labeled_edit.h"
#include "console/program_windows.h"
#include "console/script_runner.h"

#include "board/board.h"

#include <QAbstractButton>
#include <QFile>
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
