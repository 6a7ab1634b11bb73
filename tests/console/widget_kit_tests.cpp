// The widget kit on its own: an up-down button held down, the board view's mouse under the
// scale labels, and the fault guard.

#include "console_fixture.h"

#include "console/app/fault_guard.h"
#include "console/main_window/board_view.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <stdexcept>

using namespace varmet;

namespace {

TEST(UpDown, AnyButtonNotifiesAndAHeldLeftButtonRepeatsUnderOnePressAndOneRelease)
{
    QWidget window;
    LabeledEdit edit(QStringLiteral("К пл"), &window);
    edit.setGeometry(10, 20, 60, 21);
    UpDown upDown(&edit, 0, 359, 1, true);
    QSignalSpy pressed(&upDown, &UpDown::pressed);
    QSignalSpy released(&upDown, &UpDown::released);
    edit.setText(QStringLiteral("10"));

    QTest::mouseClick(upDown.button(Down), Qt::RightButton);
    EXPECT_EQ(edit.text(), "10");
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(released.count(), 1);

    QToolButton *up = upDown.button(Up);
    up->setAutoRepeatDelay(1);
    up->setAutoRepeatInterval(1);
    QTest::mousePress(up, Qt::LeftButton);
    QTRY_VERIFY(edit.text().toInt() >= 13);
    EXPECT_EQ(pressed.count(), 2);
    EXPECT_EQ(released.count(), 1);
    EXPECT_TRUE(upDown.isHeld());
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_EQ(pressed.count(), 2);
    EXPECT_EQ(released.count(), 2);
    EXPECT_FALSE(upDown.isHeld());
}

TEST(BoardView, ReportsTheMouseInBoardPixelsAlsoOverTheScaleLabels)
{
    QWidget window;
    BoardView view(&window);
    QSignalSpy presses(&view, &BoardView::mousePressed);
    QSignalSpy releases(&view, &BoardView::mouseReleased);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, WindowWait));
    QTest::mousePress(&view, Qt::RightButton, {}, QPoint(120, 45));
    QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(120, 45));
    // Delivered as the window system does: to whatever stands under the pointer.
    const QPoint onLabel = view.findChild<QLabel *>("Label4")->geometry().center();
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, view.mapTo(&window, onLabel));

    ASSERT_EQ(presses.count(), 2);
    EXPECT_EQ(presses[0][0].toInt(), 120);
    EXPECT_EQ(presses[0][1].toInt(), 45);
    EXPECT_EQ(presses[0][2].value<Qt::MouseButtons>(), Qt::MouseButtons(Qt::RightButton));
    EXPECT_EQ(presses[1][0].toInt(), onLabel.x());
    EXPECT_EQ(presses[1][1].toInt(), onLabel.y());
    EXPECT_EQ(releases.count(), 1);
}

TEST(FaultGuard, AFaultStopsEveryWriterAboveItAndIsShownOnce)
{
    QStringList shown;
    FaultGuard guard([&](const QString &message) { shown << message; });
    int writersGoneOn = 0;
    guard.run([&] {
        guard.write([&] { guard.run([] { throw std::runtime_error("inner"); }); });
        ++writersGoneOn;
    });
    guard.run([&] {
        guard.write([&] { guard.report(QStringLiteral("cycle fault")); });
        ++writersGoneOn;
    });
    EXPECT_EQ(writersGoneOn, 0);
    guard.run([] { throw std::runtime_error("top"); });
    guard.report(QStringLiteral("direct"));
    EXPECT_EQ(shown, (QStringList {"inner", "cycle fault", "top", "direct"}));
}

} // namespace
