// The widget kit on its own: up-down ranges and release detection, spin field typing, captions,
// the board view and the fault guard.

#include "console/board_view.h"
#include "console/fault_guard.h"
#include "console/labeled_edit.h"
#include "console/spin_edit.h"
#include "console/up_down.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace varmet;
using Direction = UpDown::Direction;

namespace {

struct StepCase
{
    int minimum, maximum, increment;
    bool wraps;
    const char *start;
    Direction direction;
    const char *expected;
};

class UpDownStep : public ::testing::TestWithParam<StepCase>
{
};

TEST_P(UpDownStep, ClickOnTheArrowStepsTheField)
{
    const StepCase c = GetParam();
    QWidget window;
    LabeledEdit edit(QStringLiteral("caption"), &window);
    edit.setGeometry(10, 20, 60, 21);
    UpDown upDown(&edit, c.minimum, c.maximum, c.increment, c.wraps);
    edit.setText(QString::fromLatin1(c.start));
    QSignalSpy changes(&edit, &QLineEdit::textChanged);

    QTest::mouseClick(upDown.button(c.direction), Qt::LeftButton);

    EXPECT_EQ(edit.text(), QString::fromLatin1(c.expected));
    EXPECT_EQ(changes.count(), edit.text() == QLatin1String(c.start) ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Ranges, UpDownStep,
    ::testing::Values(StepCase {0, 359, 1, true, "359", Direction::Up, "0"},
        StepCase {0, 359, 1, true, "0", Direction::Down, "359"},
        StepCase {0, 359, 5, true, "357", Direction::Up, "2"},
        StepCase {0, 359, 5, true, "2", Direction::Down, "357"},
        StepCase {0, 359, 5, true, "355", Direction::Up, "0"},
        StepCase {0, 300, 1, false, "300", Direction::Up, "300"},
        StepCase {0, 300, 5, false, "298", Direction::Up, "300"},
        StepCase {0, 300, 1, false, "0", Direction::Down, "0"},
        StepCase {-45, 45, 1, false, "0", Direction::Down, "-1"},
        StepCase {-45, 45, 1, false, "-45", Direction::Down, "-45"},
        StepCase {0, 32000, 1000, false, "19000", Direction::Up, "20000"},
        StepCase {0, 32000, 1000, false, "31500", Direction::Up, "32000"},
        // plain digits, no grouping; an unreadable text counts as the minimum
        StepCase {0, 15000, 1, false, "9999", Direction::Up, "10000"},
        StepCase {1, 10, 1, false, "", Direction::Up, "2"}));

struct UpDownFixture : ::testing::Test
{
    QWidget window;
    LabeledEdit edit {QStringLiteral("К пл"), &window};
    UpDown upDown {(edit.setGeometry(10, 20, 60, 21), &edit), 0, 359, 1, true};
    QSignalSpy pressed {&upDown, &UpDown::pressed};
    QSignalSpy released {&upDown, &UpDown::released};
};

TEST_F(UpDownFixture, AutoRepeatStepsWithOnePressAndOneRelease)
{
    QToolButton *up = upDown.button(Direction::Up);
    up->setAutoRepeatDelay(1);
    up->setAutoRepeatInterval(1);
    edit.setText(QStringLiteral("10"));

    QTest::mousePress(up, Qt::LeftButton);
    QTRY_VERIFY(edit.text().toInt() >= 13);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 0);
    EXPECT_TRUE(upDown.isHeld());
    QTest::mouseRelease(up, Qt::LeftButton);

    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 1);
    EXPECT_FALSE(upDown.isHeld());
}

TEST_F(UpDownFixture, OtherMouseButtonsNotifyWithoutStepping)
{
    edit.setText(QStringLiteral("10"));
    QTest::mouseClick(upDown.button(Direction::Down), Qt::RightButton);
    EXPECT_EQ(edit.text(), "10");
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 1);
}

TEST(LabeledEdit, CaptionStandsThreePixelsAboveTheField)
{
    QWidget window;
    LabeledEdit edit(QStringLiteral("Д до цели (кбт)"), &window);
    edit.setGeometry(40, 60, 60, 21);
    window.show();
    const QRect caption = edit.editLabel()->geometry();
    EXPECT_EQ(caption.left(), 40);
    EXPECT_EQ(caption.bottom() + 1 + 3, 60);
    EXPECT_EQ(edit.editLabel()->text(), QStringLiteral("Д до цели (кбт)"));
    edit.move(100, 200);
    EXPECT_EQ(edit.editLabel()->geometry().bottom() + 1 + 3, 200);
}

// ---- SpinEdit
// ------------------------------------------------------------------------------------

struct TypingCase
{
    const char *typed;
    const char *shownWhileTyping;
    int typedValue;
    const char *afterFocusLoss;
    int notifiedWhileTyping;
    int notifiedOnFocusLoss;
};

class SlotNumberTyping : public ::testing::TestWithParam<TypingCase>
{
};

TEST_P(SlotNumberTyping, OutOfRangeStandsUntilFocusIsLost)
{
    const TypingCase c = GetParam();
    QWidget window;
    SpinEdit field(QStringLiteral("Номер п/п"), 1, 5, 1, 1, &window);
    field.setAcceptsOutOfRangeTyping(true);
    QSignalSpy changes(&field, &SpinEdit::fieldTextChanged);

    field.typeText(QString::fromLatin1(c.typed));
    EXPECT_EQ(field.text(), QString::fromLatin1(c.shownWhileTyping));
    EXPECT_EQ(field.typedValue(), c.typedValue);
    EXPECT_EQ(changes.count(), c.notifiedWhileTyping);

    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &focusOut);
    EXPECT_EQ(field.text(), QString::fromLatin1(c.afterFocusLoss));
    EXPECT_EQ(field.value(), field.text().toInt());
    EXPECT_EQ(changes.count(), c.notifiedWhileTyping + c.notifiedOnFocusLoss);
}

INSTANTIATE_TEST_SUITE_P(Typing, SlotNumberTyping,
    ::testing::Values(TypingCase {"0", "0", 0, "1", 1, 1}, TypingCase {"6", "6", 6, "5", 1, 1},
        TypingCase {"12", "12", 12, "5", 1, 1}, TypingCase {"", "", 1, "1", 1, 1},
        TypingCase {"-", "-", 1, "1", 1, 1}, TypingCase {"3", "3", 3, "3", 1, 0},
        TypingCase {"x", "1", 1, "1", 0, 0}));

TEST(SpinEdit, CorrectionWithAnUnchangedValueStillNotifies)
{
    QWidget window;
    SpinEdit field(QStringLiteral("Номер п/п"), 1, 5, 1, 5, &window);
    field.setAcceptsOutOfRangeTyping(true);
    QSignalSpy changes(&field, &SpinEdit::fieldTextChanged);
    field.typeText(QStringLiteral("52"));
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &focusOut);
    EXPECT_EQ(field.text(), "5");
    EXPECT_EQ(changes.count(), 2); // "52", then "5" again
}

TEST(SpinEdit, ArrowsStepWithoutWrappingAndNotifyOnce)
{
    QWidget window;
    SpinEdit theta(QStringLiteral("Тетта (гр)"), -150, 150, 10, 90, &window);
    QSignalSpy changes(&theta, &SpinEdit::fieldTextChanged);
    for (int i = 0; i < 7; ++i)
        theta.stepUp();
    EXPECT_EQ(theta.value(), 150);
    EXPECT_EQ(changes.count(), 6);
    theta.typeText(QStringLiteral("-"));
    EXPECT_EQ(theta.typedValue(), -150); // not a whole number: the minimum
}

// ---- BoardView
// -------------------------------------------------------------------------------------

TEST(BoardView, ShowsThePicturePixelForPixel)
{
    QWidget window;
    BoardView view(&window);
    QImage picture(650, 650, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(200, 250, qRgb(0, 0, 255));
    view.setPicture(&picture);
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(shown.size(), QSize(650, 650));
    EXPECT_EQ(shown.pixel(200, 250), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(201, 250), qRgb(255, 255, 255));
}

TEST(BoardView, ReportsMouseInBoardPixelsEvenOverTheScaleLabels)
{
    QWidget window;
    BoardView view(&window);
    QSignalSpy presses(&view, &BoardView::mousePressed);
    QSignalSpy releases(&view, &BoardView::mouseReleased);
    window.show();
    QTest::mousePress(&view, Qt::RightButton, {}, QPoint(120, 45));
    QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(120, 45));
    auto *label0 = view.findChild<QLabel *>("Label4");
    ASSERT_NE(label0, nullptr);
    QTest::mousePress(&view, Qt::LeftButton, {}, label0->geometry().center());

    ASSERT_EQ(presses.count(), 2);
    EXPECT_EQ(presses[0][0].toInt(), 120);
    EXPECT_EQ(presses[0][1].toInt(), 45);
    EXPECT_EQ(presses[0][2].value<Qt::MouseButtons>(), Qt::MouseButtons(Qt::RightButton));
    EXPECT_EQ(presses[1][0].toInt(), label0->geometry().center().x());
    EXPECT_EQ(releases.count(), 1);
}

TEST(BoardView, ScaleLabelsStandAtTheirBoardPoints)
{
    QWidget window;
    BoardView view(&window);
    const struct
    {
        const char *name, *text;
        QPoint at;
    } labels[] = {{"Label4", "0", {328, 10}}, {"Label5", "180", {328, 635}},
        {"Label8", "90", {628, 327}}, {"Label6", "270", {1, 327}}, {"Label1", "50", {428, 310}},
        {"Label2", "100", {528, 310}}, {"Label3", "150", {628, 310}}};
    for (const auto &expected : labels) {
        auto *label = view.findChild<QLabel *>(expected.name);
        ASSERT_NE(label, nullptr) << expected.name;
        EXPECT_EQ(label->text(), expected.text);
        EXPECT_EQ(label->pos(), expected.at) << expected.name;
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::white));
        EXPECT_TRUE(label->autoFillBackground());
    }
}

// ---- FaultGuard
// ------------------------------------------------------------------------------------

TEST(FaultGuard, FaultOfANestedHandlerStopsTheWriterAndIsShownOnce)
{
    QStringList shown;
    FaultGuard guard([&](const QString &message) { shown << message; });
    bool outerContinued = false;
    guard.run([&] {
        guard.write([&] { guard.run([] { throw std::runtime_error("inner"); }); });
        outerContinued = true;
    });
    EXPECT_FALSE(outerContinued);
    EXPECT_EQ(shown, QStringList {"inner"});

    guard.run([] { throw std::runtime_error("top"); });
    EXPECT_EQ(shown, (QStringList {"inner", "top"}));
}

TEST(FaultGuard, ReportInsideAWriteIsHeldForTheWriter)
{
    QStringList shown;
    FaultGuard guard([&](const QString &message) { shown << message; });
    guard.run([&] { guard.write([&] { guard.report(QStringLiteral("cycle fault")); }); });
    EXPECT_EQ(shown, QStringList {"cycle fault"});
    guard.report(QStringLiteral("direct"));
    EXPECT_EQ(shown.size(), 2);
}

} // namespace
