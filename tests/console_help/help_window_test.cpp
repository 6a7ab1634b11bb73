// The help window: its frame, and showing and hiding it. The manual's text is in the manual
// scenario.

#include "console/main_window/manual_text.h"
#include "console/main_window/unit2.h"
#include "tests/support/fake_screen.h"
#include "tests/support/window_wait.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace varmet {
namespace {

TEST(HelpWindow, FrameAndControls)
{
    const test::FakeScreen screen({0, 0, 1280, 1024});
    TForm2 form;
    QPlainTextEdit *memo = form.Memo1();
    EXPECT_EQ(form.objectName(), QStringLiteral("Form2"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Справка по работе программы"));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowModality(), Qt::NonModal);
    EXPECT_EQ(form.font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(form.font().pointSize(), 8);
    EXPECT_EQ(form.backgroundRole(), QPalette::Button);

    form.showHelp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, WindowWait));
    EXPECT_EQ(form.frameGeometry(), QRect(172, 31, 819, 686));
    EXPECT_EQ(memo->objectName(), QStringLiteral("Memo1"));
    EXPECT_EQ(memo->geometry(), QRect(0, 0, 809, 601));
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(memo->isReadOnly());
    EXPECT_EQ(memo->toPlainText(), operatorManualText());
    // Long lines wrap instead of scrolling sideways.
    EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(memo->verticalScrollBar()->maximum(), 0);

    QPushButton *button = form.Button1();
    EXPECT_EQ(button->objectName(), QStringLiteral("Button1"));
    EXPECT_EQ(button->text(), QStringLiteral("Закрытие справки"));
    EXPECT_EQ(button->geometry(), QRect(345, 616, 113, 25));
}

// On a screen too small for it the window moves toward the corner and shrinks only as far as it
// must; the close button stays under the text, inside the window.
TEST(HelpWindow, FitsTheScreen)
{
    const struct
    {
        QRect screen, frame;
    } cases[] = {
        {{0, 0, 1024, 768}, {172, 31, 819, 686}}, {{0, 0, 800, 600}, {0, 0, 800, 600}},
        {{0, 40, 1024, 700}, {172, 54, 819, 686}}, // under a panel, just enough room
    };
    for (const auto &c : cases) {
        const test::FakeScreen screen(c.screen);
        TForm2 form;
        form.showHelp();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, WindowWait));
        EXPECT_EQ(form.frameGeometry(), c.frame);
        const QRect button = form.Button1()->geometry();
        EXPECT_TRUE(form.rect().contains(button)) << button.y();
        EXPECT_GT(button.top(), form.Memo1()->geometry().bottom());
    }
}

// Both ways of closing only hide the window and leave the program running.
enum class CloseWay { Button, CloseBox };

class HelpWindowClosing : public testing::TestWithParam<CloseWay>
{
};

TEST_P(HelpWindowClosing, HidesTheWindowAndShowingAgainKeepsEditsAndScrollPosition)
{
    QWidget mainWindow;
    TForm2 form;
    QPlainTextEdit *memo = form.Memo1();
    mainWindow.show();
    form.showHelp();
    form.showHelp(); // chosen again while shown
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, WindowWait));
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral(" note 17"));
    QScrollBar *bar = memo->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 20);
    bar->setValue(bar->maximum() / 2);
    const int position = bar->value();

    QTimer::singleShot(0, &form, [this, &form] {
        if (GetParam() == CloseWay::Button)
            QTest::mouseClick(form.Button1(), Qt::LeftButton);
        else
            form.close();
    });
    QTimer::singleShot(50, qApp, [] { qApp->exit(7); }); // runs only if the program goes on
    EXPECT_EQ(qApp->exec(), 7);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_FALSE(form.isVisible());

    form.showHelp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, WindowWait));
    EXPECT_TRUE(memo->toPlainText().endsWith(QStringLiteral(" note 17")));
    EXPECT_EQ(bar->value(), position);
}

INSTANTIATE_TEST_SUITE_P(Ways, HelpWindowClosing,
    testing::Values(CloseWay::Button, CloseWay::CloseBox),
    [](const auto &info) { return info.param == CloseWay::Button ? "Button1" : "CloseBox"; });

TEST(HelpWindow, ClosingTheMainWindowEndsTheProgramWhileHelpIsShown)
{
    QWidget mainWindow;
    TForm2 form;
    mainWindow.show();
    form.showHelp();
    QTimer::singleShot(0, &mainWindow, &QWidget::close);
    QTimer::singleShot(WindowWait, qApp, [] { qApp->exit(7); }); // the program kept running
    EXPECT_EQ(qApp->exec(), 0);
}

} // namespace
} // namespace varmet

int main(int argc, char *argv[])
{
    // Test discovery runs this program at build time, without a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
