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

// The manual cut into its numbered sections: number -> the section's text, in order of
// appearance (the numbers as found, duplicates and gaps included).
struct ManualSections
{
    std::vector<int> numbers;
    std::map<int, QString> text;
};

ManualSections splitSections(const QString &manual)
{
    static const QRegularExpression head(QStringLiteral("^(\\d+)\\.\\t"));
    ManualSections sections;
    int current = 0;
    for (const QString &line : manual.split(u'\n')) {
        const QRegularExpressionMatch match = head.match(line);
        if (match.hasMatch()) {
            current = match.captured(1).toInt();
            sections.numbers.push_back(current);
        }
        if (current != 0)
            sections.text[current] += line + u'\n';
    }
    return sections;
}

TEST(ManualText, HasNineteenSectionsNumberedInOrder)
{
    const ManualSections sections = splitSections(operatorManualText());
    std::vector<int> expected(19);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(sections.numbers, expected);
}

TEST(ManualText, NumbersAndListItemsUseTheTabForms)
{
    // A section number or a list marker in any other form than "N.<tab>" or "·<tab>".
    static const QRegularExpression looseNumber(QStringLiteral("^\\d+\\.(?!\\t)"));
    static const QRegularExpression looseItem(QStringLiteral("^\\s*[·•*\\-–—](?!\\t)"));
    int items = 0;
    for (const QString &line : operatorManualText().split(u'\n')) {
        EXPECT_FALSE(looseNumber.match(line).hasMatch()) << line.toStdString();
        EXPECT_FALSE(looseItem.match(line).hasMatch()) << line.toStdString();
        if (line.startsWith(QStringLiteral("·\t")))
            ++items;
    }
    EXPECT_GT(items, 30);
}

TEST(ManualText, NamesNoAddress)
{
    static const QRegularExpression address(
        QStringLiteral("@|https?:|www\\.|e-?mail|mailto|\\.(ru|com|org|net)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = address.match(operatorManualText());
    EXPECT_FALSE(match.hasMatch()) << match.captured().toStdString();
}

// Each section with a phrase that marks its topic; a section moved or left out fails here.
struct SectionTopic
{
    int number;
    const char *phrase;
    bool hasList;
};

class ManualSectionTopic : public testing::TestWithParam<SectionTopic>
{
};

TEST_P(ManualSectionTopic, CoversItsTopic)
{
    const SectionTopic topic = GetParam();
    const QString section = splitSections(operatorManualText()).text[topic.number];
    EXPECT_TRUE(section.contains(QString::fromUtf8(topic.phrase))) << section.toStdString();
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
        SectionTopic {15, "«Файл»", true}, SectionTopic {16, "«СТРЕЛЬБА ЗАПРЕЩЕНА»", true},
        SectionTopic {17, "«Отображение»", true}, SectionTopic {18, "Порядок работы", true},
        SectionTopic {19, "разработчику", false}),
    [](const testing::TestParamInfo<SectionTopic> &info) {
        return "Section" + std::to_string(info.param.number);
    });

TEST(ManualText, RestrictionsCarryTheLimitsTheSystemApplies)
{
    const QString section = splitSections(operatorManualText()).text[16];
    for (const char *limit : {"160°", "0,68", "меньше 30°", "больше 150°", "«—»"})
        EXPECT_TRUE(section.contains(QString::fromUtf8(limit))) << limit;
}

TEST(ManualText, DisplayBoxesMaySwitchAtAnyTime)
{
    const QString section = splitSections(operatorManualText()).text[17];
    EXPECT_FALSE(section.contains(QStringLiteral("в начале работы")));
    EXPECT_TRUE(section.contains(QStringLiteral("в любой момент")));
}

TEST(ManualText, NamesTheFieldsByTheirCaptions)
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
    EXPECT_EQ(memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(memo()->isReadOnly());
    EXPECT_EQ(memo()->toPlainText(), operatorManualText());

    QPushButton *button = form.Button1();
    EXPECT_EQ(button->objectName(), QStringLiteral("Button1"));
    EXPECT_EQ(button->text(), QStringLiteral("Закрытие справки"));
    EXPECT_EQ(button->geometry(), QRect(345, 616, 113, 25));
}

TEST_F(HelpWindow, LongLinesWrapInsteadOfScrollingSideways)
{
    form.showHelp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(memo()->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(memo()->verticalScrollBar()->maximum(), 0);
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

TEST_P(HelpWindowClosing, HidesTheWindow)
{
    form.showHelp();
    ASSERT_TRUE(form.isVisible());
    closeIt();
    EXPECT_FALSE(form.isVisible());
}

TEST_P(HelpWindowClosing, ShowingAgainKeepsEditsAndScrollPosition)
{
    form.showHelp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    memo()->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo(), QStringLiteral(" note 17"));
    QScrollBar *bar = memo()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 20);
    bar->setValue(bar->maximum() / 2);
    const int position = bar->value();

    closeIt();
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
    [](const testing::TestParamInfo<CloseWay> &info) {
        return info.param == CloseWay::Button ? "Button1" : "CloseBox";
    });

TEST_F(HelpWindow, ClosingTheMainWindowEndsTheProgramWhileHelpIsShown)
{
    QWidget mainWindow;
    mainWindow.show();
    form.showHelp();
    QTimer::singleShot(0, &mainWindow, &QWidget::close);
    QTimer::singleShot(5000, qApp, [] { qApp->exit(7); }); // the program kept running
    EXPECT_EQ(qApp->exec(), 0);
}

TEST_F(HelpWindow, ChoosingHelpWhileShownKeepsItShown)
{
    form.showHelp();
    form.showHelp();
    EXPECT_TRUE(form.isVisible());
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
