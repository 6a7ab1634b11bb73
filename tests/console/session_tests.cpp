// The window at work with the real board and tick cycle: held stepping, slot selection, the
// number label, the view, the picture files with undo, and the tick kept from re-entering.

#include "console/widget_kit/typed_entry.h"
#include "console_fixture.h"

#include "board/board.h"
#include "model/units.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace varmet;

namespace {

// Stepping by 5 in yellow from the second hold tick is in the stepping scenarios; here the hold
// timer, which they cannot see: a held arrow's release stops it, any other arrow's does not.
TEST_F(ConsoleTest, OnlyAHeldArrowsReleaseStopsTheHoldTimer)
{
    for (const auto &[name, held] : {std::pair {"UpDown1", true}, std::pair {"UpDown5", false}}) {
        UpDown *u = upDown(name);
        timer("Timer2")->start();
        u->press(Up);
        u->release();
        EXPECT_EQ(timer("Timer2")->isActive(), !held) << name;
    }
}

// ---- "Номер п/п" loads the selected slot into the fields, in a fixed order and form, so that
// the entries nested in those writes run exactly when a text changes.

const char *const LoadedFields[] = {"LabeledEdit9", "LabeledEdit1", "LabeledEdit4", "LabeledEdit2",
    "LabeledEdit3", "LabeledEdit18", "LabeledEdit7", "LabeledEdit8", "LabeledEdit16"};

class SlotSelection : public ConsoleTest
{
protected:
    void select(const QString &typed) { spin("SpinEdit2")->typeText(typed); }
    // Records, in order, every loaded field whose text changes.
    void recordChanges()
    {
        for (const char *name : LoadedFields)
            QObject::connect(
                edit(name), &QLineEdit::textChanged, [this, name] { changes << name; });
        for (const char *name : {"SpinEdit1", "SpinEdit3"})
            QObject::connect(
                spin(name), &SpinEdit::fieldTextChanged, [this, name] { changes << name; });
    }
    QStringList loadedTexts() const
    {
        QStringList texts;
        for (const char *name : LoadedFields)
            texts << text(name);
        return texts << spin("SpinEdit1")->text() << spin("SpinEdit3")->text();
    }
    QStringList changes;
};

TEST_F(SlotSelection, LoadsTheFieldsInOrderAndForm)
{
    TargetSlot &slot = form->state().Slots[2];
    slot.IsTarget = true;
    slot.TargetCourse = 123;
    slot.TargetSpeed = 12.5L; // ties to even
    slot.TargetNumber = 7;
    slot.RelSpeed = 13.5L;
    slot.RelCourse = 200;
    slot.LeadCorrection = DegreesToRadians(3);
    slot.DistancePx = 101; // 50.5 cables
    slot.WakeLengthPx = InputMetresToPx(1000);
    slot.ThetaSet = 200; // beyond the field's range
    slot.DeltaEtPx = InputMetresToPx(500);
    recordChanges();

    select("2");

    EXPECT_EQ(changes,
        (QStringList {"LabeledEdit9", "LabeledEdit1", "LabeledEdit4", "LabeledEdit2",
            "LabeledEdit3", "LabeledEdit18", "LabeledEdit8", "LabeledEdit16", "SpinEdit1",
            "SpinEdit3"}));
    EXPECT_EQ(loadedTexts(),
        (QStringList {"123", "12", "7", "14", "200", "3", "0", "50", "1000", "150", "500"}));
    EXPECT_EQ(slot.TargetNumber, 7); // stored back unchanged
}

// A slot never used shows zeros and no relative motion; loading its bearing and distance over
// those of a target does not make it one.
TEST_F(SlotSelection, UnusedSlotShowsZerosAndStaysWithoutTarget)
{
    upDown("UpDown7")->click(Up);
    upDown("UpDown3")->click(Up);
    form->Timer1Timer();
    EXPECT_NE(get<QLabel>("Label19")->text(), "Label19"); // the ship's clock runs
    select("3");
    EXPECT_EQ(loadedTexts(), (QStringList {"0", "0", "0", "—", "—", "0", "0", "0", "0", "0", "0"}));
    EXPECT_FALSE(form->state().Slots[3].IsTarget);
    EXPECT_TRUE(form->state().Slots[1].IsTarget);
}

// Slot 1 holds the target number the window opens with: switching away and back keeps it, and
// what its fields showed (speed 20, Тетта 90) became its inputs as it was left, before any tick.
TEST_F(SlotSelection, SwitchingAwayAndBackKeepsTheFirstTargetNumber)
{
    EXPECT_EQ(form->state().Slots[1].TargetNumber, 1);
    select("2");
    recordChanges();
    select("1");
    EXPECT_EQ(changes, (QStringList {"LabeledEdit1", "LabeledEdit4", "SpinEdit1"}));
    EXPECT_EQ(text("LabeledEdit1"), "20");
    EXPECT_EQ(text("LabeledEdit4"), "1");
}

TEST_F(SlotSelection, TargetNumberAndWakeLengthFollowTheirSlot)
{
    for (int i = 0; i < 3; ++i)
        upDown("UpDown13")->click(Up);
    for (int i = 0; i < 10; ++i)
        upDown("UpDown10")->click(Up);
    EXPECT_EQ(form->state().Slots[1].TargetNumber, 4);
    form->Timer1Timer(); // the slot takes the wake length over
    select("2");
    EXPECT_EQ(text("LabeledEdit4"), "0");
    EXPECT_EQ(text("LabeledEdit16"), "0");
    select("1");
    EXPECT_EQ(text("LabeledEdit4"), "4");
    EXPECT_EQ(text("LabeledEdit16"), "1000");
}

// Typing into "Номер п/п": a number outside 1..5 addresses no slot until the field loses focus
// and returns into the range; no number means slot 1.
struct TypedCase
{
    int start;
    const char *typed, *shownWhileTyping;
    int typedValue;
    const char *afterFocusLoss;
    int notifiedWhileTyping, notifiedOnFocusLoss;
};

class TypedSlotNumber : public SlotSelection, public ::testing::WithParamInterface<TypedCase>
{
};

TEST_P(TypedSlotNumber, AddressesASlotOnlyWithinTheRange)
{
    const TypedCase c = GetParam();
    // Slot 1 is shown: its course is what its field shows.
    TypedEntry *course = TypedEntry::of(edit("LabeledEdit9"));
    course->type(QStringLiteral("10"));
    ASSERT_TRUE(course->apply());
    for (int number = 2; number <= SlotCount; ++number)
        form->state().Slots[number].TargetCourse = 10 * number;
    SpinEdit *field = spin("SpinEdit2");
    select(QString::number(c.start));
    ASSERT_EQ(text("LabeledEdit9"), QString::number(10 * c.start));
    QSignalSpy changes(field, &SpinEdit::fieldTextChanged);

    select(c.typed);
    EXPECT_EQ(field->text(), c.shownWhileTyping);
    EXPECT_EQ(form->selectedSlot(), c.typedValue);
    EXPECT_EQ(changes.count(), c.notifiedWhileTyping);
    const int addressed = c.typedValue >= 1 && c.typedValue <= SlotCount ? c.typedValue : 0;
    EXPECT_EQ(text("LabeledEdit9"), QString::number(10 * (addressed ? addressed : c.start)));
    // "Номер цели" steps on from the number loaded (slot 1 holds 1 from the start, the others 0)
    // and stores it into the addressed slot only.
    upDown("UpDown13")->click(Up);
    for (int number = 1; number <= SlotCount; ++number) {
        const int held = number == 1 ? 1 : 0;
        EXPECT_EQ(form->state().Slots[number].TargetNumber, number == addressed ? held + 1 : held)
            << number;
    }

    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &focusOut);
    EXPECT_EQ(field->text(), c.afterFocusLoss);
    EXPECT_EQ(field->value(), field->text().toInt());
    EXPECT_EQ(changes.count(), c.notifiedWhileTyping + c.notifiedOnFocusLoss);
    // The slot the field returned to is loaded again, the number it stores included.
    const TargetSlot &loaded = form->state().Slots[field->value()];
    EXPECT_EQ(text("LabeledEdit9"), QString::number(10 * field->value()));
    EXPECT_EQ(text("LabeledEdit4"), QString::number(loaded.TargetNumber));
}

INSTANTIATE_TEST_SUITE_P(Typed, TypedSlotNumber,
    ::testing::Values(TypedCase {2, "0", "0", 0, "1", 1, 1}, TypedCase {2, "6", "6", 6, "5", 1, 1},
        TypedCase {2, "12", "12", 12, "5", 1, 1}, TypedCase {2, "", "", 1, "1", 1, 1},
        TypedCase {2, "-", "-", 1, "1", 1, 1}, TypedCase {2, "3", "3", 3, "3", 1, 0},
        TypedCase {2, "x", "2", 2, "2", 0, 0},
        // back to the number it had: the text still changed twice
        TypedCase {5, "52", "52", 52, "5", 1, 1}),
    [](const auto &info) {
        const std::string typed = info.param.typed;
        return typed.empty() ? "Empty" : typed == "-" ? "LoneSign" : "Typed_" + typed;
    });

// ---- The board through the window.

QImage Picture(TForm1 &form)
{
    return form.board().canvas().picture();
}

TEST_F(ConsoleTest, NumberButtonPaintsTheLabelAtThePlottedPosition)
{
    form->state().Slots[1].PosX = 412.5L;
    form->state().Slots[1].PosY = 300.2L;
    const QImage before = Picture(*form);
    QTest::mouseClick(get<QPushButton>("Button2"), Qt::LeftButton);
    EXPECT_EQ(Picture(*form), before) << "no label for a slot without a target";
    form->state().Slots[1].IsTarget = true;
    QTest::mouseClick(get<QPushButton>("Button2"), Qt::LeftButton);
    const QImage after = Picture(*form);
    EXPECT_NE(before.copy(412, 300, 20, 12), after.copy(412, 300, 20, 12));
    EXPECT_EQ(before.copy(380, 280, 32, 20), after.copy(380, 280, 32, 20)); // nothing left of it
}

TEST_F(ConsoleTest, SavingThenUndoShowsTheBoardAsSavedAndARefusedFileChangesNothing)
{
    QTemporaryDir dir;
    fileAnswer = dir.filePath("board"); // the extension is added
    get<QAction>("MSave")->trigger();
    const QImage saved = Picture(*form);
    QFile written(dir.filePath("board.bmp"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(2), "BM");
    QTest::mouseClick(get<QToolButton>("SBErase"), Qt::LeftButton);
    QTest::mouseClick(get("Image3"), Qt::LeftButton, {}, QPoint(325, 200));
    ASSERT_NE(Picture(*form), saved);
    get<QAction>("N2")->trigger();
    EXPECT_EQ(Picture(*form), saved);
    EXPECT_TRUE(messages.isEmpty());

    fileAnswer = dir.filePath("text.bmp");
    QFile refused(fileAnswer);
    ASSERT_TRUE(refused.open(QIODevice::WriteOnly) && refused.write("not a picture") > 0);
    refused.close();
    get<QAction>("MOpen")->trigger();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(Picture(*form), saved);
    get<QAction>("N2")->trigger(); // nor was the undo snapshot replaced
    EXPECT_EQ(Picture(*form), saved);
}

TEST_F(ConsoleTest, NoTickRunsWhileTheFaultOfATickIsShown)
{
    edit("LabeledEdit15")->setText(QStringLiteral("x")); // "Е (м)" unreadable
    form->showMessage = [this](const QString &message) {
        messages << message;
        form->Timer1Timer(); // the main timer fires inside the message box
    };
    form->Timer1Timer();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(form->state().TickCount, 1);
    edit("LabeledEdit15")->setText(QStringLiteral("19000"));
    form->Timer1Timer(); // the next tick starts afresh
    EXPECT_EQ(form->state().TickCount, 2);
    EXPECT_EQ(messages.size(), 1);
}

} // namespace
