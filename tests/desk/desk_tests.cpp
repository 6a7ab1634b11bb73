// The desk without any widget, through its commands: the operator's confirmed reports, the fix
// log's actions, the fit put on the board, undo and redo, and what each leaves in the journal.

#include "windowless_desk.h"

#include "desk/field_words.h"

#include "analysis/bearing_analysis.h"

#include <gtest/gtest.h>

namespace varmet {
namespace {

class DeskTest : public ::testing::Test, public testing::WindowlessDesk
{
protected:
    std::size_t bearings(int slot = 1) const
    {
        std::size_t n = 0;
        for (const Fix &fix : log(slot).Fixes())
            n += fix.Kind == FixKind::Bearing;
        return n;
    }
    // A target fixed at 60°, 60 cables, moving on course 200 at 12 knots, own ship at 10 knots.
    void plotTarget()
    {
        report({10, 60, 60, 200, 12});
        tick();
    }
};

// M15: every confirmed report is a fix, also when it equals what the field shows (a steady
// bearing), and "Замер" logs the field's bearing now.
TEST_F(DeskTest, EveryConfirmedReportIsAFix)
{
    fields.setChecked(Control::RadioButton1, false); // a steady bearing
    plotTarget();
    const std::size_t before = bearings();
    for (int i = 0; i < 3; ++i) {
        tick(20);
        enter(Control::LabeledEdit7, 60);
    }
    EXPECT_EQ(bearings(), before + 3);
    tick(20);
    desk.execute(new FixNow(desk, Control::LabeledEdit7));
    ASSERT_EQ(bearings(), before + 4);
    EXPECT_EQ(log().Fixes().back().Tick, desk.state().TickCount);
    EXPECT_EQ(log().Fixes().back().Value, 60);
    EXPECT_EQ(desk.journal().text().count(QStringLiteral("enter LabeledEdit7 60\n")), 4);
    EXPECT_TRUE(desk.journal().text().endsWith(QStringLiteral("fix LabeledEdit7\n")));
}

// M16: loading the fields to show a slot moves no target, not even to its whole-degree bearing
// and whole-cable distance.
TEST_F(DeskTest, ShowingASlotMovesNoTarget)
{
    plotTarget();
    tick(37);
    const TargetSlot before = desk.state().Slots[1];
    {
        const TickCycle::ProgramWriteScope program = desk.cycle().ProgramWrites();
        const TickCycle::SelectionLoad showing(desk.cycle());
        fields.setText(Control::LabeledEdit7, QStringLiteral("61"));
        fields.setText(Control::LabeledEdit8, QStringLiteral("55"));
    }
    EXPECT_EQ(desk.state().Slots[1].PosX, before.PosX);
    EXPECT_EQ(desk.state().Slots[1].PosY, before.PosY);
}

// M17: what was typed into a slot's fields is its input before another slot is shown, whenever
// the switch comes.
TEST_F(DeskTest, NoEntryIsLostBySwitchingSlots)
{
    plotTarget();
    fields.setSpinValue(Control::SpinEdit2, 2);
    enter(Control::LabeledEdit7, 100);
    enter(Control::LabeledEdit1, 12);
    desk.cycle().KeepInputs(2); // the console's switch back to slot 1, within the same second
    fields.setSpinValue(Control::SpinEdit2, 1);
    tick();
    EXPECT_EQ(desk.state().Slots[2].TargetSpeed, 12);
}

// M18: "Применить" puts the target where the fit has it now, on the fit's course and speed, so
// the trial solution misses every fix as the fit does; the fields show it rounded and keep it.
TEST_F(DeskTest, ApplyPutsTheTargetWhereTheFitSaysIt)
{
    plotTarget();
    const int reports[] = {61, 62, 63, 65, 66, 68, 69, 71, 73, 75};
    for (const int bearing : reports) {
        tick(30);
        enter(Control::LabeledEdit7, bearing);
    }
    enter(Control::LabeledEdit8, 52); // a measured distance (the first one only placed the target)
    const FireControlState &s = desk.state();
    const TargetMotion trial = TrialMotion(s.Slots[1], s.OwnTrack, s.TickCount);
    const FitResult result = Fit(log(), s.OwnTrack, trial, s.TickCount);
    const auto *fit = std::get_if<FitSolution>(&result);
    ASSERT_NE(fit, nullptr);
    desk.execute(new ApplyFit(desk, 1, *fit));
    const TargetMotion applied = TrialMotion(s.Slots[1], s.OwnTrack, s.TickCount);
    for (const Fix &fix : log().Fixes()) {
        const auto ofTrial = Residual(fix, applied, s.OwnTrack);
        const auto ofFit = Residual(fix, fit->Motion, s.OwnTrack);
        ASSERT_EQ(ofTrial.has_value(), ofFit.has_value());
        if (ofTrial) {
            EXPECT_NEAR(static_cast<double>(*ofTrial), static_cast<double>(*ofFit), 1e-9);
        }
    }
    // The fields show the rounding; the tick keeps the exact course and speed behind it.
    tick();
    EXPECT_EQ(s.Slots[1].TargetCourse, std::fmod(fit->Course, 360.0L));
    EXPECT_EQ(s.Slots[1].TargetSpeed, fit->Speed);
    EXPECT_EQ(fields.text(Control::LabeledEdit1).toLongLong(), std::llrint(fit->Speed));
}

// Deleting a fix and clearing a log are journalled, count as changes and make a fit of the slot
// stale; a new plot (a session opened, an exercise started) drops every undo.
TEST_F(DeskTest, LogActionsAreRecordedChanges)
{
    plotTarget();
    tick(30);
    enter(Control::LabeledEdit7, 62);
    std::vector<int> stale;
    QObject::connect(&desk, &Desk::fixesChanged, [&stale](int number) { stale.push_back(number); });
    desk.markSaved();
    desk.execute(new DeleteFix(desk, 1, 0));
    EXPECT_TRUE(desk.hasChanges());
    EXPECT_EQ(stale, std::vector<int> {1});
    EXPECT_TRUE(desk.journal().text().endsWith(QStringLiteral("deletefix 1\n")));

    desk.markSaved();
    desk.execute(new ClearLog(desk, 1));
    EXPECT_TRUE(desk.hasChanges());
    EXPECT_TRUE(log().Fixes().empty());
    EXPECT_EQ(stale, (std::vector<int> {1, 1}));
    EXPECT_TRUE(desk.journal().text().endsWith(QStringLiteral("clearlog\n")));

    bool replaced = false;
    QObject::connect(&desk, &Desk::replaced, [&replaced] { replaced = true; });
    desk.replacePlot();
    EXPECT_TRUE(replaced);
    EXPECT_FALSE(desk.undoStack().canUndo());
}

// Undone within the same second, an entry leaves the plot exactly as before it: state, fields,
// fixes and the board's pixels. Redo does it again.
TEST_F(DeskTest, UndoInTheSameSecondPutsThePlotBack)
{
    plotTarget();
    tick(30);
    const QImage board = desk.board().canvas().picture().copy();
    const TargetSlot slot = desk.state().Slots[1];
    const std::size_t fixes = log().Fixes().size();
    enter(Control::LabeledEdit7, 75);
    EXPECT_EQ(desk.undoText(), QStringLiteral("пеленг 75° цели 1"));
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(desk.state().Slots[1].PosX, slot.PosX);
    EXPECT_EQ(desk.state().Slots[1].PosY, slot.PosY);
    EXPECT_EQ(log().Fixes().size(), fixes);
    EXPECT_EQ(fields.text(Control::LabeledEdit7), QStringLiteral("60"));
    EXPECT_EQ(desk.board().canvas().picture(), board);
    EXPECT_EQ(desk.redoText(), QStringLiteral("пеленг 75° цели 1"));
    ASSERT_TRUE(desk.redo());
    EXPECT_EQ(fields.text(Control::LabeledEdit7), QStringLiteral("75"));
    EXPECT_EQ(log().Fixes().size(), fixes + 1);
    EXPECT_TRUE(desk.journal().text().endsWith(QStringLiteral("undo\nredo\n")));
    // The journal's reader is told what was taken back and done again.
    EXPECT_EQ(OperatorRecord(desk.journal().annotatedText()).last(2),
        QStringList({QStringLiteral("00:00:00 отмена: пеленг 75° цели 1"),
            QStringLiteral("00:00:00 повтор: пеленг 75° цели 1")}));
}

// Undone after time has passed, an entry re-enters the previous value now and removes the fix it
// made; its name says so. Undoing a deleted fix or a cleared log later puts the fixes back.
TEST_F(DeskTest, LaterUndoReentersThePreviousValue)
{
    plotTarget();
    tick(30);
    enter(Control::LabeledEdit7, 62);
    const std::size_t fixes = log().Fixes().size();
    enter(Control::LabeledEdit7, 64);
    tick(5);
    EXPECT_EQ(
        desk.undoText(), QStringLiteral("пеленг 64° цели 1 (ввести прежнее 62, замер убрать)"));
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(fields.text(Control::LabeledEdit7), QStringLiteral("62"));
    EXPECT_EQ(log().Fixes().size(), fixes);
    EXPECT_EQ(log().Fixes().back().Value, 62);

    desk.execute(new DeleteFix(desk, 1, 1));
    desk.execute(new ClearLog(desk, 1));
    tick(3);
    desk.undo();
    desk.undo();
    EXPECT_EQ(log().Fixes().size(), fixes);
}

// "оценка" of a distance fix is an action of its own: journalled in the driver's words, a change,
// a fit of the slot made stale, undone in the same second or later.
TEST_F(DeskTest, MarkingADistanceAnEstimateIsAnUndoableChange)
{
    plotTarget();
    tick(20);
    enter(Control::LabeledEdit8, 58); // a measured distance
    const std::size_t distance = log().Fixes().size() - 1;
    ASSERT_EQ(log().Fixes()[distance].Kind, FixKind::Distance);
    ASSERT_FALSE(log().Fixes()[distance].Estimate);
    std::vector<int> stale;
    QObject::connect(&desk, &Desk::fixesChanged, [&stale](int number) { stale.push_back(number); });
    desk.markSaved();
    desk.execute(new MarkEstimate(desk, 1, distance, true));
    EXPECT_TRUE(log().Fixes()[distance].Estimate);
    EXPECT_TRUE(desk.hasChanges());
    EXPECT_EQ(stale, std::vector<int> {1});
    EXPECT_TRUE(
        desk.journal().text().endsWith(QStringLiteral("estimate %1 on\n").arg(distance + 1)));
    EXPECT_EQ(desk.undoText(), QStringLiteral("замер %1 — оценка цели 1").arg(distance + 1));
    ASSERT_TRUE(desk.undo());
    EXPECT_FALSE(log().Fixes()[distance].Estimate);
    ASSERT_TRUE(desk.redo());
    EXPECT_TRUE(log().Fixes()[distance].Estimate);
    tick(4);
    ASSERT_TRUE(desk.undo()); // later: the mark alone is taken back
    EXPECT_FALSE(log().Fixes()[distance].Estimate);
    EXPECT_EQ(log().Fixes().size(), distance + 1);
    EXPECT_EQ(OperatorRecord(QStringLiteral("estimate 2 on\n")),
        QStringList {QStringLiteral("00:00:00 цель 1: замер 2 — оценка")});
}

// The switches and the spin fields "Тетта (гр)" and "Delta ет (м)" are actions of their own:
// journalled as the driver has them (steps merged), changes, undone with their names whenever the
// undo comes, and undoing one takes back nothing else done in the same second.
TEST_F(DeskTest, SwitchesAndSpinFieldsAreUndoableChanges)
{
    plotTarget();
    desk.markSaved();
    desk.execute(new SetSwitch(desk, Control::RadioButton1, false));
    EXPECT_FALSE(fields.isChecked(Control::RadioButton1));
    EXPECT_TRUE(desk.hasChanges());
    EXPECT_EQ(desk.undoText(), QStringLiteral("движение целей выключено"));
    desk.execute(new SetSwitch(desk, Control::CheckBox1, true));
    for (int i = 0; i < 3; ++i)
        desk.execute(SetSpin::stepped(desk, Control::SpinEdit1, 100 + 10 * i, 1));
    desk.execute(SetSpin::typed(desk, Control::SpinEdit3, 200, QStringLiteral("200")));
    EXPECT_TRUE(desk.journal().text().endsWith(
        QStringLiteral("select RadioButton2\ncheck CheckBox1 on\nstep SpinEdit1 up 3\n"
                       "type SpinEdit3 200\n")));
    EXPECT_EQ(desk.undoText(), QStringLiteral("Delta ет 200 м цели 1"));
    enter(Control::LabeledEdit7, 65);
    tick(2);
    ASSERT_TRUE(desk.undo()); // the bearing
    ASSERT_TRUE(desk.undo()); // "Delta ет", two seconds later: only the field goes back
    EXPECT_EQ(fields.spinValue(Control::SpinEdit3), 0);
    EXPECT_EQ(fields.spinValue(Control::SpinEdit1), 120);
    tick();
    EXPECT_EQ(desk.state().Slots[1].ThetaSet, 120); // the tick reads what the field shows
    for (int i = 0; i < 5; ++i) // three steps, the check box, the radio button
        ASSERT_TRUE(desk.undo());
    EXPECT_EQ(fields.spinValue(Control::SpinEdit1), 90);
    EXPECT_FALSE(fields.isChecked(Control::CheckBox1));
    EXPECT_TRUE(fields.isChecked(Control::RadioButton1));
    ASSERT_TRUE(desk.redo());
    EXPECT_FALSE(fields.isChecked(Control::RadioButton1));
    EXPECT_EQ(OperatorRecord(QStringLiteral("type SpinEdit1 120\ncheck CheckBox2 off\n")),
        QStringList({QStringLiteral("00:00:00 цель 1: Тетта 120°"),
            QStringLiteral("00:00:00 линейные величины скрыты")}));
}

TEST(OperatorRecord, RetellsTheJournalWithTheTime)
{
    const QStringList record = OperatorRecord(
        QStringLiteral("tick 735\nstep SpinEdit2 up\nenter LabeledEdit7 45\nenter LabeledEdit5 30\n"
                       "deletefix 2\nundo\nstep LabeledEdit8 down 3\npress LabeledEdit5 up\n"
                       "repeat LabeledEdit5 4\nrelease LabeledEdit5\n"));
    EXPECT_EQ(record,
        QStringList({QStringLiteral("00:12:15 выбрана цель п/п 2"),
            QStringLiteral("00:12:15 цель 2: пеленг 45°"), QStringLiteral("00:12:15 курс ПЛ 30°"),
            QStringLiteral("00:12:15 цель 2: удален замер 2"), QStringLiteral("00:12:15 отмена"),
            QStringLiteral("00:12:15 цель 2: дистанция — шаг вниз ×3"),
            QStringLiteral("00:12:15 курс ПЛ — стрелка вверх удержана")}));
}

// Every field with a journal line is named in words, never by its object name; and the slot
// follows "Номер п/п" as its arrows move it: each step stops at 1 and 5, and the first brings a
// typed number outside them back in (7, three steps down: 5, 4, 3).
TEST(OperatorRecord, NamesEveryFieldAndKeepsTheSlotInItsRange)
{
    const QStringList record = OperatorRecord(
        QStringLiteral("step LabeledEdit4 up 2\nenter LabeledEdit17 300\nstep SpinEdit2 up 7\n"
                       "enter LabeledEdit4 5\nstep SpinEdit2 down 9\nfix LabeledEdit7\n"
                       "type SpinEdit2 7\nstep SpinEdit2 down 3\n"));
    EXPECT_EQ(record,
        QStringList({QStringLiteral("00:00:00 цель 1: номер цели — шаг вверх ×2"),
            QStringLiteral("00:00:00 длина цели 300 м"),
            QStringLiteral("00:00:00 выбрана цель п/п 5"),
            QStringLiteral("00:00:00 цель 5: номер цели 5"),
            QStringLiteral("00:00:00 выбрана цель п/п 1"),
            QStringLiteral("00:00:00 цель 1: замер: пеленг как в поле"),
            QStringLiteral("00:00:00 выбрана цель п/п 7"),
            QStringLiteral("00:00:00 выбрана цель п/п 3")}));
}

} // namespace
} // namespace varmet
