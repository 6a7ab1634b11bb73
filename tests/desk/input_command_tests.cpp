// The input fields' arrows, keys and "Номер п/п" through the desk's door, without any widget: what
// each leaves in the journal, on the undo stack, in the fix log and in the fields.

#include "windowless_desk.h"

#include "desk/field_words.h"
#include "desk/input_commands.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace varmet {
namespace {

using Motion = StepField::Motion;

class InputCommandTest : public ::testing::Test, public testing::WindowlessDesk
{
protected:
    // Each tick journalled too, as the console does: settings and steps merge only within one.
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            desk.cycle().Timer1Timer();
            desk.journal().tick();
        }
    }
    void step(Control field, Motion motion, int steps, int value)
    {
        desk.execute(new StepField(desk, field, motion, steps, value));
    }
    // The bearing arrow pressed and held through `values`, then let go.
    void holdBearing(std::initializer_list<int> values)
    {
        Motion motion = Motion::Press;
        for (const int value : values) {
            step(Control::LabeledEdit7, motion, 1, value);
            motion = Motion::Repeat;
        }
        desk.journal().release(QStringLiteral("LabeledEdit7"));
    }
    QString text(Control field) const { return fields.text(field); }
    // A target fixed at 60°, 60 cables in slot 1, moving on course 200 at 12 knots.
    void plotTarget()
    {
        report({10, 60, 60, 200, 12});
        tick(5);
    }
};

// A held arrow is one undo item and one journal run; the value it settled on becomes a fix once
// it has stood two ticks; undone later, the previous value comes back and that fix goes.
TEST_F(InputCommandTest, AHeldArrowIsOneActionAndItsSettledValueOneFix)
{
    plotTarget();
    const int items = desk.undoStack().count();
    const std::size_t fixes = log().Fixes().size();
    holdBearing({61, 62, 63, 68});
    EXPECT_EQ(desk.undoStack().count(), items + 1);
    EXPECT_TRUE(desk.journal().text().endsWith(
        QStringLiteral("press LabeledEdit7 up\nrepeat LabeledEdit7 3\nrelease LabeledEdit7\n")));
    EXPECT_EQ(desk.undoText(), QStringLiteral("пеленг 68° цели 1"));
    EXPECT_EQ(log().Fixes().size(), fixes); // not yet: stepping settles over two ticks
    tick(2);
    ASSERT_EQ(log().Fixes().size(), fixes + 1);
    EXPECT_EQ(log().Fixes().back().Value, 68);
    EXPECT_EQ(
        desk.undoText(), QStringLiteral("пеленг 68° цели 1 (ввести прежнее 60, замер убрать)"));
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(text(Control::LabeledEdit7), QStringLiteral("60"));
    EXPECT_EQ(log().Fixes().size(), fixes);
    tick(3);
    EXPECT_EQ(log().Fixes().size(), fixes); // the undo's own write is no fix
    ASSERT_TRUE(desk.redo());
    EXPECT_EQ(text(Control::LabeledEdit7), QStringLiteral("68"));
    tick(2);
    EXPECT_EQ(log().Fixes().size(), fixes + 1);

    // A click (press and release) is a step of its own; a step at the end of a range changes
    // nothing and leaves no undo item, but the journal keeps it as the operator did it.
    step(Control::LabeledEdit7, Motion::Press, 1, 69);
    desk.journal().release(QStringLiteral("LabeledEdit7"));
    EXPECT_EQ(desk.undoStack().count(), items + 2);
    enter(Control::LabeledEdit1, 50);
    step(Control::LabeledEdit1, Motion::Keys, 1, 50);
    EXPECT_EQ(desk.undoStack().count(), items + 3);
    EXPECT_TRUE(desk.journal().text().endsWith(
        QStringLiteral("step LabeledEdit7 up\nenter LabeledEdit1 50\nstep LabeledEdit1 up\n")));
}

// Undone in the same second, a held arrow leaves the plot as before its press; an entry made
// before the steps is no longer taken back with them, nor are the steps with the entry.
TEST_F(InputCommandTest, UndoTakesBackTheStepsAloneAndThenTheEntryBeforeThem)
{
    plotTarget();
    const TargetSlot slot = desk.state().Slots[1];
    enter(Control::LabeledEdit9, 210);
    holdBearing({61, 62});
    step(Control::LabeledEdit8, Motion::Keys, -1, 59);
    step(Control::LabeledEdit8, Motion::Keys, -1, 58); // keys within a second: one item
    EXPECT_TRUE(desk.journal().text().endsWith(QStringLiteral("step LabeledEdit8 down 2\n")));

    ASSERT_TRUE(desk.undo()); // the keys
    EXPECT_EQ(text(Control::LabeledEdit8), QStringLiteral("60"));
    EXPECT_EQ(text(Control::LabeledEdit7), QStringLiteral("62"));
    ASSERT_TRUE(desk.undo()); // the held arrow
    EXPECT_EQ(text(Control::LabeledEdit7), QStringLiteral("60"));
    EXPECT_EQ(text(Control::LabeledEdit9), QStringLiteral("210"));
    EXPECT_EQ(desk.state().Slots[1].PosX, slot.PosX);
    EXPECT_EQ(desk.state().Slots[1].PosY, slot.PosY);
    EXPECT_FALSE(desk.cycle().fixRecorder().Pending(1, FixKind::Bearing));
    ASSERT_TRUE(desk.undo()); // the course
    EXPECT_EQ(text(Control::LabeledEdit9), QStringLiteral("200"));

    // Steps before an entry stay when the entry is undone: in the same second, and later, when
    // the entry had brought the steps' fix into the log; undoing the steps then takes it out.
    holdBearing({61});
    enter(Control::LabeledEdit9, 220);
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(text(Control::LabeledEdit9), QStringLiteral("200"));
    EXPECT_EQ(text(Control::LabeledEdit7), QStringLiteral("61"));
    ASSERT_TRUE(desk.redo());
    const auto bearing61 = [this] {
        return std::count_if(log().Fixes().begin(), log().Fixes().end(),
            [](const Fix &fix) { return fix.Kind == FixKind::Bearing && fix.Value == 61; });
    };
    EXPECT_EQ(bearing61(), 1);
    tick(3);
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(text(Control::LabeledEdit9), QStringLiteral("200"));
    EXPECT_EQ(bearing61(), 1);
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(text(Control::LabeledEdit7), QStringLiteral("60"));
    EXPECT_EQ(bearing61(), 0);
}

// "Номер п/п": showing another slot moves no target and loses nothing typed; undone, the slot
// shown before is shown again, whenever the undo comes; the journal has the lines it always had.
TEST_F(InputCommandTest, SelectingASlotShowsItAndChangesNoTarget)
{
    plotTarget();
    const TargetSlot first = desk.state().Slots[1];
    desk.execute(SelectSlot::stepped(desk, 2, 1));
    EXPECT_EQ(fields.spinValue(Control::SpinEdit2), 2);
    EXPECT_EQ(desk.shownSlot(), 2);
    EXPECT_EQ(text(Control::LabeledEdit7), QStringLiteral("0"));
    EXPECT_EQ(text(Control::LabeledEdit1), QStringLiteral("0"));
    EXPECT_EQ(desk.undoText(), QStringLiteral("выбор цели 2"));
    enter(Control::LabeledEdit7, 100);
    enter(Control::LabeledEdit1, 14);
    desk.execute(SelectSlot::typed(desk, 1, QStringLiteral("1"))); // within the same second
    EXPECT_EQ(text(Control::LabeledEdit7), QStringLiteral("60"));
    EXPECT_EQ(text(Control::LabeledEdit1), QStringLiteral("12"));
    EXPECT_EQ(desk.state().Slots[2].TargetSpeed, 14);
    EXPECT_EQ(desk.state().Slots[1].PosX, first.PosX);
    EXPECT_EQ(desk.state().Slots[1].PosY, first.PosY);
    EXPECT_TRUE(desk.journal().text().endsWith(
        QStringLiteral("step SpinEdit2 up\nenter LabeledEdit7 100\nenter LabeledEdit1 14\n"
                       "type SpinEdit2 1\n")));

    // The slot shown already: a line in the journal, no undo item.
    const int items = desk.undoStack().count();
    desk.execute(SelectSlot::stepped(desk, 1, -1));
    EXPECT_EQ(desk.undoStack().count(), items);
    EXPECT_TRUE(desk.journal().text().endsWith(QStringLiteral("step SpinEdit2 down\n")));

    tick(3);
    const TargetSlot second = desk.state().Slots[2];
    ASSERT_TRUE(desk.undo()); // later: slot 2 shown again as it stands, nothing moved
    EXPECT_EQ(fields.spinValue(Control::SpinEdit2), 2);
    EXPECT_EQ(text(Control::LabeledEdit1), QStringLiteral("14"));
    EXPECT_EQ(desk.state().Slots[2].PosX, second.PosX);
    EXPECT_EQ(desk.state().Slots[2].PosY, second.PosY);
    ASSERT_TRUE(desk.undo()); // the speed: re-entered as it was
    EXPECT_EQ(text(Control::LabeledEdit1), QStringLiteral("0"));
    ASSERT_TRUE(desk.undo()); // the bearing
    ASSERT_TRUE(desk.undo()); // slot 1 again
    EXPECT_EQ(fields.spinValue(Control::SpinEdit2), 1);
    EXPECT_EQ(text(Control::LabeledEdit7), QStringLiteral("60"));
    ASSERT_TRUE(desk.redo());
    EXPECT_EQ(desk.shownSlot(), 2);
}

// The σ of the analysis are the desk's: changes with no tick between are one undo item and one
// journal line, as the journal always had them; a change back where it began leaves no item.
TEST_F(InputCommandTest, SigmaChangesAreUndoableSettingsOfTheDesk)
{
    desk.markSaved();
    const int items = desk.undoStack().count();
    desk.execute(new SetSigma(desk, {1.5, 5}));
    desk.execute(new SetSigma(desk, {1.5, 4}));
    EXPECT_TRUE(desk.hasChanges());
    EXPECT_EQ(desk.undoStack().count(), items + 1);
    EXPECT_EQ(desk.undoText(), QStringLiteral("СКО пеленга 1.5°, дистанции 4.0 кбт"));
    tick();
    desk.execute(new SetSigma(desk, {1.5, 6}));
    EXPECT_TRUE(
        desk.journal().text().endsWith(QStringLiteral("sigma 1.5 4\ntick 1\nsigma 1.5 6\n")));
    EXPECT_EQ(desk.undoText(), QStringLiteral("СКО дистанции 6.0 кбт"));
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(desk.analysis().sigmas(), (FitSigmas {1.5, 4}));
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(desk.analysis().sigmas(), (FitSigmas {1, 5}));
    ASSERT_TRUE(desk.redo());
    EXPECT_EQ(desk.analysis().sigmas(), (FitSigmas {1.5, 4}));

    EXPECT_EQ(OperatorRecord(QStringLiteral("sigma 1.5 4\nsituation limit 7.5\nspeed 5\npause\n")),
        QStringList({QStringLiteral("00:00:00 СКО пеленга 1.5°, дистанции 4 кбт"),
            QStringLiteral("00:00:00 опасная дистанция 7.5 кбт"),
            QStringLiteral("00:00:00 скорость времени ×5"),
            QStringLiteral("00:00:00 время остановлено")}));

    tick();
    const int now = desk.undoStack().index();
    desk.execute(new SetSigma(desk, {0.05, 4}));
    desk.execute(new SetSigma(desk, {1.5, 4}));
    EXPECT_EQ(desk.undoStack().index(), now);
    EXPECT_EQ(desk.analysis().sigmas(), (FitSigmas {1.5, 4}));
}

// The danger limit is an undoable setting; the flow of time is journalled and a change, but no
// undo item: undo never stops or starts the clock.
TEST_F(InputCommandTest, TheDangerLimitIsUndoableAndTheFlowOfTimeIsNoUndoItem)
{
    desk.execute(new SetDangerLimit(desk, 7.5));
    EXPECT_EQ(desk.work().dangerLimit(), 7.5);
    EXPECT_EQ(desk.undoText(), QStringLiteral("опасная дистанция 7.5 кбт"));
    desk.markSaved();
    desk.execute(SetTimeFlow::speed(desk, 5));
    desk.execute(SetTimeFlow::pause(desk, true));
    EXPECT_TRUE(desk.hasChanges());
    EXPECT_EQ(desk.work().speed(), 5);
    EXPECT_TRUE(desk.work().paused());
    EXPECT_TRUE(
        desk.journal().text().endsWith(QStringLiteral("situation limit 7.5\nspeed 5\npause\n")));
    EXPECT_EQ(desk.undoText(), QStringLiteral("опасная дистанция 7.5 кбт"));
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(desk.work().dangerLimit(), 5);
    EXPECT_TRUE(desk.work().paused());
    EXPECT_FALSE(desk.undoStack().canUndo());
}

// "Рассчитать" makes the slot's last fit; undone, the fit before it is the last again; a change
// of the slot's fixes makes it stale, and so does another plot.
TEST_F(InputCommandTest, SolvingIsAnActionAndItsFitDiesWithItsFixes)
{
    plotTarget();
    for (const int bearing : {61, 62, 64, 65, 67, 69}) {
        tick(30);
        enter(Control::LabeledEdit7, bearing);
    }
    const FireControlState &s = desk.state();
    SlotFit fit;
    fit.analysis = Analyse(
        log(), s.OwnTrack, TrialMotion(s.Slots[1], s.OwnTrack, s.TickCount), s.TickCount, {});
    fit.tick = s.TickCount;
    desk.execute(new Solve(desk, 1, fit));
    ASSERT_TRUE(desk.analysis().fit(1));
    EXPECT_EQ(desk.analysis().fit(1)->tick, s.TickCount);
    EXPECT_TRUE(desk.journal().text().endsWith(QStringLiteral("solve\n")));
    EXPECT_EQ(desk.undoText(), QStringLiteral("расчет решения цели 1"));
    ASSERT_TRUE(desk.undo());
    EXPECT_FALSE(desk.analysis().fit(1));
    ASSERT_TRUE(desk.redo());
    ASSERT_TRUE(desk.analysis().fit(1));
    desk.execute(new DeleteFix(desk, 1, 0));
    EXPECT_FALSE(desk.analysis().fit(1));
    desk.execute(new Solve(desk, 1, fit));
    desk.replacePlot();
    EXPECT_FALSE(desk.analysis().fit(1));
}

// "Номер цели" is the selected slot's own: typed or held, it is one action in the operator's
// words, journalled as the field's entry and arrows always were, kept over a slot switch and
// undone and redone whenever.
TEST_F(InputCommandTest, TheTargetNumberIsAnUndoableInputOfItsSlot)
{
    using Number = SetTargetNumber::Motion;
    desk.execute(SelectSlot::stepped(desk, 2, 1));
    desk.execute(new SetTargetNumber(desk, Number::Typed, 0, 3));
    EXPECT_TRUE(desk.journal().text().endsWith(QStringLiteral("enter LabeledEdit4 3\n")));
    EXPECT_EQ(desk.undoText(), QStringLiteral("номер цели 3 (цель п/п 2)"));
    tick(2);
    const int items = desk.undoStack().count();
    desk.execute(new SetTargetNumber(desk, Number::Press, 1, 4));
    desk.execute(new SetTargetNumber(desk, Number::Repeat, 1, 5));
    desk.journal().release(QStringLiteral("LabeledEdit4"));
    EXPECT_EQ(desk.undoStack().count(), items + 1);
    EXPECT_TRUE(desk.journal().text().endsWith(
        QStringLiteral("press LabeledEdit4 up\nrepeat LabeledEdit4\nrelease LabeledEdit4\n")));
    desk.execute(SelectSlot::stepped(desk, 1, -1));
    desk.execute(SelectSlot::stepped(desk, 2, 1));
    EXPECT_EQ(desk.state().Slots[2].TargetNumber, 5);
    ASSERT_TRUE(desk.undo()); // the two switches
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(desk.undoText(), QStringLiteral("номер цели 5 (цель п/п 2)"));
    tick(1);
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(desk.state().Slots[2].TargetNumber, 3);
    ASSERT_TRUE(desk.undo());
    EXPECT_EQ(desk.state().Slots[2].TargetNumber, 0);
    ASSERT_TRUE(desk.redo());
    ASSERT_TRUE(desk.redo());
    EXPECT_EQ(desk.state().Slots[2].TargetNumber, 5);
}

} // namespace
} // namespace varmet
