// The help window: its frame, the manual's structure and wording, and showing and hiding it.

#include "console/manual_text.h"
#include "console/unit2.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <string>
#include <vector>

namespace varmet {
namespace {

// The manual cut at its "N.<tab>" heads: the numbers as found, and each section's text.
struct ManualSections
{
    std::vector<int> numbers;
    std::map<int, QString> text;
};

ManualSections SplitSections()
{
    static const QRegularExpression head(QStringLiteral("^(\\d+)\\.\\t"));
    ManualSections sections;
    for (const QString &line : operatorManualText().split(u'\n')) {
        if (const QRegularExpressionMatch match = head.match(line); match.hasMatch())
            sections.numbers.push_back(match.captured(1).toInt());
        if (!sections.numbers.empty())
            sections.text[sections.numbers.back()] += line + u'\n';
    }
    return sections;
}

TEST(ManualText, NineteenSectionsInOrderInTabbedFormsWithNoAddress)
{
    std::vector<int> expected(19);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(SplitSections().numbers, expected);

    // A section number or a list marker in any other form than "N.<tab>" or "·<tab>".
    static const QRegularExpression loose(QStringLiteral("^(\\d+\\.|\\s*[·•*\\-–—])(?!\\t)"));
    int items = 0;
    for (const QString &line : operatorManualText().split(u'\n')) {
        EXPECT_FALSE(loose.match(line).hasMatch()) << line.toStdString();
        items += line.startsWith(QStringLiteral("·\t"));
    }
    EXPECT_GT(items, 30);

    static const QRegularExpression address(
        QStringLiteral("@|https?:|www\\.|e-?mail|mailto|\\.(ru|com|org|net)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = address.match(operatorManualText());
    EXPECT_FALSE(match.hasMatch()) << match.captured().toStdString();
}

// Each section with the phrases ("|" between them) that mark its topic and whether it lists.
struct SectionTopic
{
    int number;
    const char *phrases;
    bool hasList;
};

class ManualSectionTopic : public testing::TestWithParam<SectionTopic>
{
};

TEST_P(ManualSectionTopic, CoversItsTopic)
{
    const SectionTopic topic = GetParam();
    const QString section = SplitSections().text[topic.number];
    for (const QString &phrase : QString::fromUtf8(topic.phrases).split(u'|'))
        EXPECT_TRUE(section.contains(phrase)) << phrase.toStdString();
    EXPECT_EQ(section.contains(QStringLiteral("\n·\t")), topic.hasList);
}

INSTANTIATE_TEST_SUITE_P(Sections, ManualSectionTopic,
    testing::Values(SectionTopic {1, "любительской", false}, SectionTopic {2, "подбора", true},
        SectionTopic {3, "до пяти целей", false}, SectionTopic {4, "Слева", true},
        SectionTopic {5, "«Параметры движения цели»", true},
        SectionTopic {6, "«Параметры движения ПЛ»", false},
        SectionTopic {7, "«Относительные Кц и Vц»", false},
        SectionTopic {8, "«Данные для стрельбы»", true},
        SectionTopic {9, "по угловым величинам", true},
        SectionTopic {10, "по линейным величинам", true},
        SectionTopic {11, "«Оперативное время»", false},
        SectionTopic {12, "«Обновление сетки»", false},
        SectionTopic {13, "«Выкл. движение цели»", false}, SectionTopic {14, "ластика", false},
        SectionTopic {15, "«Файл»", true},
        // the limits the system applies
        SectionTopic {16, "«СТРЕЛЬБА ЗАПРЕЩЕНА»|160°|0,68|меньше 30°|больше 150°|«—»", true},
        SectionTopic {17, "«Отображение»|в любой момент", true},
        SectionTopic {18, "Порядок работы", true}, SectionTopic {19, "разработчику", false}),
    [](const auto &info) { return "Section" + std::to_string(info.param.number); });

TEST(ManualText, DisplayBoxesAreNotTiedToTheStartOfWork)
{
    const QString section = SplitSections().text[17];
    ASSERT_FALSE(section.isEmpty());
    EXPECT_FALSE(section.contains(QStringLiteral("в начале работы")));
}

TEST(ManualText, NamesTheControlsByTheirCaptions)
{
    const QString manual = operatorManualText();
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

class HelpWindow : public testing::Test
{
protected:
    TForm2 form;
    QPlainTextEdit *memo() const { return form.Memo1(); }
};

TEST_F(HelpWindow, FrameAndControls)
{
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
    EXPECT_EQ(memo()->objectName(), QStringLiteral("Memo1"));
    EXPECT_EQ(memo()->geometry(), QRect(0, 0, 809, 601));
    EXPECT_EQ(memo()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(memo()->isReadOnly());
    EXPECT_EQ(memo()->toPlainText(), operatorManualText());
    // Long lines wrap instead of scrolling sideways.
    EXPECT_EQ(memo()->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(memo()->verticalScrollBar()->maximum(), 0);

    QPushButton *button = form.Button1();
    EXPECT_EQ(button->objectName(), QStringLiteral("Button1"));
    EXPECT_EQ(button->text(), QStringLiteral("Закрытие справки"));
    EXPECT_EQ(button->geometry(), QRect(345, 616, 113, 25));
}

// Both ways of closing only hide the window.
enum class CloseWay { Button, CloseBox };

class HelpWindowClosing : public HelpWindow, public testing::WithParamInterface<CloseWay>
{
protected:
    void closeIt()
    {
        if (GetParam() == CloseWay::Button)
            QTest::mouseClick(form.Button1(), Qt::LeftButton);
        else
            form.close();
    }
};

TEST_P(HelpWindowClosing, HidesTheWindowAndShowingAgainKeepsEditsAndScrollPosition)
{
    form.showHelp();
    form.showHelp(); // chosen again while shown
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    memo()->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo(), QStringLiteral(" note 17"));
    QScrollBar *bar = memo()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 20);
    bar->setValue(bar->maximum() / 2);
    const int position = bar->value();

    closeIt();
    EXPECT_FALSE(form.isVisible());
    form.showHelp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(memo()->toPlainText().endsWith(QStringLiteral(" note 17")));
    EXPECT_EQ(bar->value(), position);
}

TEST_P(HelpWindowClosing, LeavesTheProgramRunning)
{
    QWidget mainWindow;
    mainWindow.show();
    form.showHelp();
    QTimer::singleShot(0, &form, [this] { closeIt(); });
    // Runs only if the loop outlives the closing.
    QTimer::singleShot(50, qApp, [] { qApp->exit(7); });
    EXPECT_EQ(qApp->exec(), 7);
    EXPECT_TRUE(mainWindow.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Ways, HelpWindowClosing,
    testing::Values(CloseWay::Button, CloseWay::CloseBox),
    [](const auto &info) { return info.param == CloseWay::Button ? "Button1" : "CloseBox"; });

TEST_F(HelpWindow, ClosingTheMainWindowEndsTheProgramWhileHelpIsShown)
{
    QWidget mainWindow;
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
