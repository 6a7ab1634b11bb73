// The help window: its frame, the manual's structure and wording, and showing and hiding it.

#include "console/manual_text.h"
#include "console/unit2.h"
#include "tests/support/fake_screen.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <iterator>

namespace varmet {
namespace {

// The manual cut before each "N.<tab>" head: the title, then the sections in order.
QStringList Sections()
{
    static const QRegularExpression head(QStringLiteral("\n(?=\\d+\\.\\t)"));
    return operatorManualText().split(head);
}

// The sections numbered 1 to 20 in order, each with the phrases that mark its topic ("|" between
// them; "!" before one that must not appear) and whether it holds a list.
TEST(ManualText, SectionsInOrderEachOnItsTopic)
{
    const struct
    {
        const char *phrases;
        bool hasList;
    } topics[] = {{"любительской", false}, {"подбора", true}, {"до пяти целей", false},
        {"Слева", true},
        // the analysis fields are no longer reserve fields
        {"«Параметры движения цели»|«ВИП»|в минуту|!резервные", true},
        {"«Параметры движения ПЛ»", false},
        {"«Относительные Кц и Vц»", false}, {"«Данные для стрельбы»", true},
        {"по угловым величинам", true}, {"по линейным величинам", true},
        {"«Оперативное время»", false}, {"«Обновление сетки»", false},
        {"«Выкл. движение цели»", false}, {"ластика", false}, {"«Файл»", true},
        // the limits the system applies
        {"«СТРЕЛЬБА ЗАПРЕЩЕНА»|160°|0,68|меньше 30°|больше 150°|«—»", true},
        // the display boxes may be switched at any time, not only at the start of work
        {"«Отображение»|в любой момент|!в начале работы", true}, {"Порядок работы", true},
        {"«Анализ пеленгов»|F3|«Новый галс»|ПЛ должна сменить курс|«Применить»", true},
        {"разработчику", false}};
    const QStringList sections = Sections();
    ASSERT_EQ(sections.size(), 1 + qsizetype(std::size(topics)));
    for (int number = 1; number < sections.size(); ++number) {
        SCOPED_TRACE(number);
        EXPECT_TRUE(sections[number].startsWith(QString::number(number) + ".\t"));
        for (const QString &phrase : QString::fromUtf8(topics[number - 1].phrases).split(u'|')) {
            const bool absent = phrase.startsWith(u'!');
            EXPECT_NE(sections[number].contains(phrase.mid(absent ? 1 : 0)), absent)
                << phrase.toStdString();
        }
        EXPECT_EQ(sections[number].contains(QStringLiteral("\n·\t")), topics[number - 1].hasList);
    }
}

TEST(ManualText, WritesTabbedHeadsAndItemsNamesControlsByCaptionAndNoAddress)
{
    const QString manual = operatorManualText();
    // A section number or a list marker in any other form than "N.<tab>" or "·<tab>".
    static const QRegularExpression loose(QStringLiteral("^(\\d+\\.|\\s*[·•*\\-–—])(?!\\t)"));
    int items = 0;
    for (const QString &line : manual.split(u'\n')) {
        EXPECT_FALSE(loose.match(line).hasMatch()) << line.toStdString();
        items += line.startsWith(QStringLiteral("·\t"));
    }
    EXPECT_GT(items, 30);
    static const QRegularExpression address(
        QStringLiteral("@|https?:|www\\.|e-?mail|mailto|\\.(ru|com|org|net)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = address.match(manual);
    EXPECT_FALSE(match.hasMatch()) << match.captured().toStdString();

    for (const char *caption :
        {"«Номер п/п»", "«Номер цели»", "«№»", "«П акустический»", "«Д до цели (кбт)»",
            "«П автоматный»", "«Д автоматная»", "«Delta П»", "«Delta Д»", "«ВИП»", "«Кц»",
            "«Vц (узл)»", "«КУц»", "«Тетта»", "«К пл»", "«V пл (узл)»", "«Кц отн»",
            "«Vц отн (узл)»", "«Vт (узл)»", "«Е (м)»", "«КС (м)»", "«L (м)»", "«Delta Fi (Fi)»",
            "«Дс (м)»", "«Fi (град)»", "«W (град)»", "«ет (м)»", "«Мз (град)»", "«Мз1 (град)»",
            "«Мз2 (град)»", "«Fi1 (град)»", "«Fi2 (град)»", "«ет1 (м)»", "«ет2 (м)»", "«W1 (град)»",
            "«W2 (град)»", "«Alfa'1»", "«Alfa'2»", "«Тетта (гр)»", "«Delta ет (м)»",
            "«Отображение»", "«Судовое время»", "«Вкл. движение цели»", "«Сохранить как...»",
            "«Открыть»", "«Правка»", "«Отменить»", "«Справка»", "«Закрытие справки»", "«—»"})
        EXPECT_TRUE(manual.contains(QString::fromUtf8(caption))) << caption;
}

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
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
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
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
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
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
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
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
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
    QTimer::singleShot(5000, qApp, [] { qApp->exit(7); }); // the program kept running
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
