// "Номер п/п" loads the selected slot into the fields, in a fixed order and form, so that the
// entries nested in those writes run exactly when a text changes.

#include "console_fixture.h"

#include "model/units.h"

#include <QApplication>
#include <QFocusEvent>

using namespace varmet;
using Direction = UpDown::Direction;

namespace {

const char *const LoadedFields[] = {"LabeledEdit9", "LabeledEdit1", "LabeledEdit4", "LabeledEdit2",
    "LabeledEdit3", "LabeledEdit18", "LabeledEdit7", "LabeledEdit8", "LabeledEdit16"};

class SlotSelection : public ConsoleTest
{
protected:
    void select(const char *typed) { spin("SpinEdit2")->typeText(QString::fromLatin1(typed)); }
    void leaveSlotField()
    {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(spin("SpinEdit2"), &focusOut);
    }
    // Records, in order, every field whose text changes.
    void recordChanges()
    {
        QStringList *changes = &m_changes;
        for (const char *name : LoadedFields)
            QObject::connect(edit(name), &QLineEdit::textChanged, form.get(),
                [changes, name] { *changes << name; });
        for (const char *name : {"SpinEdit1", "SpinEdit3"})
            QObject::connect(spin(name), &SpinEdit::fieldTextChanged, form.get(),
                [changes, name] { *changes << name; });
    }
    QStringList m_changes;
};

TEST_F(SlotSelection, LoadsTheFieldsInOrderAndForm)
{
    TargetSlot &slot = form->state().Slots[2];
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

    EXPECT_EQ(m_changes,
        (QStringList {"LabeledEdit9", "LabeledEdit1", "LabeledEdit4", "LabeledEdit2",
            "LabeledEdit3", "LabeledEdit18", "LabeledEdit8", "LabeledEdit16", "SpinEdit1",
            "SpinEdit3"}));
    EXPECT_EQ(text("LabeledEdit9"), "123");
    EXPECT_EQ(text("LabeledEdit1"), "12");
    EXPECT_EQ(text("LabeledEdit4"), "7");
    EXPECT_EQ(text("LabeledEdit2"), "14");
    EXPECT_EQ(text("LabeledEdit3"), "200");
    EXPECT_EQ(text("LabeledEdit18"), "3");
    EXPECT_EQ(text("LabeledEdit7"), "0");
    EXPECT_EQ(text("LabeledEdit8"), "50");
    EXPECT_EQ(text("LabeledEdit16"), "1000");
    EXPECT_EQ(spin("SpinEdit1")->value(), 150);
    EXPECT_EQ(spin("SpinEdit3")->value(), 500);
    EXPECT_EQ(slot.TargetNumber, 7); // stored back unchanged
}

TEST_F(SlotSelection, UnusedSlotShowsZerosNotTheStartValues)
{
    select("3");
    for (const char *name :
        {"LabeledEdit9", "LabeledEdit1", "LabeledEdit4", "LabeledEdit18", "LabeledEdit16"})
        EXPECT_EQ(text(name), "0") << name;
    EXPECT_EQ(spin("SpinEdit1")->value(), 0);
    EXPECT_EQ(spin("SpinEdit3")->value(), 0);
}

TEST_F(SlotSelection, SelectingBackTheSlotJustLeftChangesNoText)
{
    select("2");
    recordChanges();
    select("1");
    EXPECT_TRUE(m_changes.isEmpty()) << m_changes.join(' ').toStdString();
}

TEST_F(SlotSelection, TargetNumberFollowsItsSlot)
{
    for (int i = 0; i < 3; ++i)
        upDown("UpDown13")->click(Direction::Up);
    EXPECT_EQ(text("LabeledEdit4"), "4");
    EXPECT_EQ(form->state().Slots[1].TargetNumber, 4);
    select("2");
    EXPECT_EQ(text("LabeledEdit4"), "0");
    select("1");
    EXPECT_EQ(text("LabeledEdit4"), "4");
}

struct OutOfRangeCase
{
    const char *typed;
    const char *afterFocusLoss;
    int loadedSlot;
};

class TypedSlotNumber : public SlotSelection, public ::testing::WithParamInterface<OutOfRangeCase>
{
};

TEST_P(TypedSlotNumber, AddressesNoSlotUntilBackInRange)
{
    const OutOfRangeCase c = GetParam();
    for (int number = 1; number <= SlotCount; ++number)
        form->state().Slots[number].TargetCourse = 10 * number;
    select("2");
    ASSERT_EQ(text("LabeledEdit9"), "20");

    select(c.typed);
    EXPECT_EQ(text("LabeledEdit9"), "20");
    upDown("UpDown13")->click(Direction::Up); // "Номер цели" stores into no slot
    for (const TargetSlot &slot : form->state().Slots)
        EXPECT_EQ(slot.TargetNumber, 0);

    leaveSlotField();
    EXPECT_EQ(spin("SpinEdit2")->text(), c.afterFocusLoss);
    EXPECT_EQ(text("LabeledEdit9"), QString::number(10 * c.loadedSlot));
}

INSTANTIATE_TEST_SUITE_P(Typed, TypedSlotNumber,
    ::testing::Values(
        OutOfRangeCase {"0", "1", 1}, OutOfRangeCase {"6", "5", 5}, OutOfRangeCase {"12", "5", 5}));

TEST_F(SlotSelection, EmptyFieldLoadsSlotOne)
{
    form->state().Slots[1].TargetCourse = 77;
    select("4");
    EXPECT_EQ(text("LabeledEdit9"), "0");
    select("");
    EXPECT_EQ(text("LabeledEdit9"), "77");
    EXPECT_EQ(form->selectedSlot(), 1);
}

} // namespace
