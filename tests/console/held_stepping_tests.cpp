// Held up-down buttons: steps of 5 and a yellow field from the second hold-timer tick after the
// press, back to steps of 1 and white on release, for four fields only.

#include "console_fixture.h"

#include <QTest>
#include <QToolButton>

using namespace varmet;
using Direction = UpDown::Direction;

namespace {

const QColor Yellow(255, 255, 0);
const QColor White(Qt::white);

QTimer *HoldTimer(const TForm1 &form)
{
    return form.findChild<QTimer *>("Timer2");
}

struct HeldCase
{
    const char *upDown;
    const char *field;
    int code;
};

class HeldStepper : public ConsoleTest, public ::testing::WithParamInterface<HeldCase>
{
};

TEST_P(HeldStepper, SecondHoldTickSwitchesToFastModeUntilRelease)
{
    const HeldCase c = GetParam();
    UpDown *u = upDown(c.upDown);
    u->press(Direction::Up);
    EXPECT_EQ(form->state().HeldStepper, c.code);
    EXPECT_EQ(form->state().HoldTicks, 0);
    EXPECT_TRUE(HoldTimer(*form)->isActive());
    EXPECT_EQ(text(c.field), "1");

    form->Timer2Timer();
    EXPECT_EQ(u->increment(), 1);
    EXPECT_EQ(edit(c.field)->background(), White);
    form->Timer2Timer();
    EXPECT_EQ(u->increment(), 5);
    EXPECT_EQ(edit(c.field)->background(), Yellow);
    u->repeat();
    EXPECT_EQ(text(c.field), "6");

    u->release();
    EXPECT_FALSE(HoldTimer(*form)->isActive());
    EXPECT_EQ(u->increment(), 1);
    EXPECT_EQ(edit(c.field)->background(), White);
    u->click(Direction::Up);
    EXPECT_EQ(text(c.field), "7");
}

INSTANTIATE_TEST_SUITE_P(FourFields, HeldStepper,
    ::testing::Values(HeldCase {"UpDown4", "LabeledEdit5", 1},
        HeldCase {"UpDown7", "LabeledEdit7", 2}, HeldCase {"UpDown3", "LabeledEdit8", 3},
        HeldCase {"UpDown1", "LabeledEdit9", 4}));

TEST_F(ConsoleTest, ShortClickStepsByOneAndNeverTurnsYellow)
{
    QToolButton *up = upDown("UpDown4")->button(Direction::Up);
    QTest::mousePress(up, Qt::LeftButton);
    form->Timer2Timer();
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_EQ(text("LabeledEdit5"), "1");
    EXPECT_EQ(edit("LabeledEdit5")->background(), White);
    EXPECT_EQ(upDown("UpDown4")->increment(), 1);
    EXPECT_FALSE(HoldTimer(*form)->isActive());
}

TEST_F(ConsoleTest, HoldingOwnCourseThreeTicksStepsByFiveAndWraps)
{
    edit("LabeledEdit5")->setText(QStringLiteral("350"));
    UpDown *u = upDown("UpDown4");
    u->press(Direction::Up);
    for (int i = 0; i < 3; ++i)
        form->Timer2Timer();
    EXPECT_EQ(edit("LabeledEdit5")->background(), Yellow);
    u->repeat();
    EXPECT_EQ(text("LabeledEdit5"), "356");
    u->repeat();
    EXPECT_EQ(text("LabeledEdit5"), "1"); // 361 continues at 1
    u->release();
    EXPECT_EQ(edit("LabeledEdit5")->background(), White);
}

TEST_F(ConsoleTest, HeldDistanceStopsAtThreeHundred)
{
    edit("LabeledEdit8")->setText(QStringLiteral("297"));
    UpDown *u = upDown("UpDown3");
    u->press(Direction::Up);
    form->Timer2Timer();
    form->Timer2Timer();
    u->repeat();
    EXPECT_EQ(text("LabeledEdit8"), "300");
    u->repeat();
    EXPECT_EQ(text("LabeledEdit8"), "300");
    u->release();
}

TEST_F(ConsoleTest, SpeedFieldsNeverSwitchToFastMode)
{
    for (const char *name : {"UpDown5", "UpDown2"}) {
        SCOPED_TRACE(name);
        UpDown *u = upDown(name);
        const QString before = u->associate()->text();
        u->press(Direction::Up);
        for (int i = 0; i < 3; ++i)
            form->Timer2Timer();
        u->repeat();
        EXPECT_EQ(u->associate()->text().toInt(), before.toInt() + 2);
        EXPECT_EQ(u->increment(), 1);
        EXPECT_EQ(u->associate()->background(), White);
        u->release();
        EXPECT_EQ(form->state().HeldStepper, 0);
    }
}

TEST_F(ConsoleTest, ReleaseAffectsOnlyTheLastPressedStepper)
{
    // A press restarts the count; the release handler resets the stepper last pressed.
    UpDown *course = upDown("UpDown4");
    course->press(Direction::Up);
    form->Timer2Timer();
    form->Timer2Timer();
    course->release();
    UpDown *bearing = upDown("UpDown7");
    bearing->press(Direction::Up);
    form->Timer2Timer();
    EXPECT_EQ(form->state().HoldTicks, 1);
    EXPECT_EQ(bearing->increment(), 1);
    form->Timer2Timer();
    EXPECT_EQ(bearing->increment(), 5);
    EXPECT_EQ(course->increment(), 1);
    EXPECT_EQ(edit("LabeledEdit5")->background(), White);
    bearing->release();
    EXPECT_EQ(edit("LabeledEdit7")->background(), White);
}

TEST_F(ConsoleTest, IdleHoldTimerOnlyCounts)
{
    HoldTimer(*form)->start();
    for (int i = 0; i < 3; ++i)
        form->Timer2Timer();
    EXPECT_EQ(form->state().HoldTicks, 3);
    EXPECT_EQ(form->state().HeldStepper, 0);
    for (const char *name : {"UpDown4", "UpDown7", "UpDown3", "UpDown1"})
        EXPECT_EQ(upDown(name)->increment(), 1) << name;
    EXPECT_TRUE(HoldTimer(*form)->isActive());
}

} // namespace
