// The main window as the operator finds it: controls, captions, hints, ranges, layout, menu,
// timers, the time buttons and the routing of faults and dialogs.

#include "console_fixture.h"

#include "console/board_view.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

using namespace varmet;
using Direction = UpDown::Direction;

namespace {

TEST_F(ConsoleTest, StartsWithTheDefaultsOfTheWindow)
{
    EXPECT_TRUE(get<QToolButton>("SpeedButton1")->isChecked());
    EXPECT_FALSE(get<QToolButton>("SpeedButton2")->isChecked());
    EXPECT_TRUE(get<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_FALSE(get<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_TRUE(get<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_FALSE(get<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_FALSE(get<QToolButton>("SBErase")->isChecked());
    EXPECT_EQ(text("LabeledEdit1"), "20");
    EXPECT_EQ(text("LabeledEdit14"), "45");
    EXPECT_EQ(text("LabeledEdit15"), "19000");
    EXPECT_EQ(text("LabeledEdit17"), "200");
    EXPECT_EQ(spin("SpinEdit1")->value(), 90);
    EXPECT_EQ(spin("SpinEdit2")->value(), 1);
    EXPECT_EQ(spin("SpinEdit3")->value(), 0);
    EXPECT_EQ(text("LabeledEdit4"), "1");
    EXPECT_EQ(get<QLabel>("Label12")->text(), "Label12");
    EXPECT_EQ(get<QLabel>("Label19")->text(), "Label19");
    EXPECT_TRUE(get<QLabel>("Label13")->isHidden());
    EXPECT_EQ(form->state().TimeMode, 1);
    EXPECT_EQ(form->state().HeldStepper, 0);
    for (const char *grey : {"LabeledEdit10", "LabeledEdit13", "LabeledEdit12", "LabeledEdit19"}) {
        EXPECT_FALSE(edit(grey)->isEnabled()) << grey;
        EXPECT_NE(edit(grey)->background(), QColor(Qt::white)) << grey;
    }
    EXPECT_FALSE(get<UpDown>("UpDown12")->isEnabled());
}

TEST(ConsoleWindow, TimersRunFromTheStart)
{
    TForm1 form;
    for (const char *name : {"Timer1", "Timer2"}) {
        auto *timer = form.findChild<QTimer *>(name);
        ASSERT_NE(timer, nullptr) << name;
        EXPECT_TRUE(timer->isActive()) << name;
        EXPECT_EQ(timer->interval(), 1000) << name;
    }
}

// Every captioned field with its caption and hint.
struct Captioned
{
    const char *name;
    const char *caption;
    const char *hint; // "" for none
};

constexpr Captioned CaptionedFields[] = {
    {"SpinEdit2", "Номер п/п", "Переключение между целями"},
    {"LabeledEdit4", "Номер цели", "Ввод номера цели"},
    {"LabeledEdit7", "П акустический", "Ввод акустического пеленга на цель"},
    {"LabeledEdit8", "Д до цели (кбт)", "Корректура дистанции до цели"},
    {"Edit1", "П автоматный", "Отображение расчетного пеленга на цель"},
    {"LabeledEdit11", "Д автоматная", "Отображение расчетной дистанции до цели"},
    {"LabeledEdit10", "Delta П", ""},
    {"LabeledEdit13", "Delta Д", ""},
    {"LabeledEdit12", "ВИП", ""},
    {"LabeledEdit9", "Кц", "Корректура курса цели"},
    {"LabeledEdit1", "Vц (узл)", "Корректура скорости цели"},
    {"LabeledEdit24", "КУц", "Отображение курсового угла цели"},
    {"LabeledEdit25", "Тетта", "Отображение расчетного угла встречи торпеды с целью"},
    {"LabeledEdit5", "К пл", "Ввод курса ПЛ"},
    {"LabeledEdit6", "V пл (узл)", "Ввод скорости ПЛ"},
    {"LabeledEdit3", "Кц отн", "Отображение относительного курса цели"},
    {"LabeledEdit2", "Vц отн (узл)", "Отображение относительной скорости цели"},
    {"LabeledEdit14", "Vт (узл)", "Ввод скорости торпеды"},
    {"LabeledEdit15", "Е (м)", "Ввод максимального пути хода торпеды"},
    {"LabeledEdit16", "КС (м)", "Ввод длины кильватерного следа цели"},
    {"LabeledEdit17", "L (м)", "Ввод длины цели"},
    {"LabeledEdit18", "Delta Fi (Fi)", "Ввод кильватерной поправки"},
    {"LabeledEdit19", "Дс (м)", ""},
    {"LabeledEdit20", "  Fi (град)", "Расчетный угол упреждения медианы залпа"},
    {"LabeledEdit21", " W (град)", "Омега медианы залпа"},
    {"LabeledEdit22", " ет (м)", "Путь до цели по медиане залпа"},
    {"LabeledEdit23", " Мз (град)", "Направление медианы залпа"},
    {"SpinEdit1", "Тетта (гр)", "Ввод угла встречи торпеды с целью при стрельбе с Тетта заданным"},
    {"SpinEdit3", "Delta ет (м)", "Ввод пути торпеды к цели после второго поворота"},
    {"LabeledEdit34", "Мз1 (град)", "Отображение расчетной медианы залпа первой торпеды"},
    {"LabeledEdit35", "Мз2 (град)", "Отображение расчетной медианы залпа второй торпеды"},
    {"LabeledEdit32", "Fi1 (град)", "Отображение расчетного угла упреждения первой торпеды"},
    {"LabeledEdit33", "Fi2 (град)", "Отображение расчетного угла упреждения второй торпеды"},
    {"LabeledEdit28", "ет1 (м)", "Отображение расчетного пути первой торпеды к цели"},
    {"LabeledEdit29", "ет2 (м)", "Отображение расчетного пути второй торпеды к цели"},
    {"LabeledEdit26", "W1 (град)", "Отображение расчетной омеги первой торпеды"},
    {"LabeledEdit27", "W2 (град)", "Отображение расчетной омеги второй торпеды"},
    {"LabeledEdit30", "Alfa'1", "Отображение расчетного угла второго поворота первой торпеды"},
    {"LabeledEdit31", "Alfa'2", "Отображение расчетного угла второго поворота второй торпеды"},
};

TEST_F(ConsoleTest, EveryFieldHasItsCaptionAboveAndItsHint)
{
    form->show();
    for (const Captioned &expected : CaptionedFields) {
        SCOPED_TRACE(expected.name);
        QWidget *field = get(expected.name);
        ASSERT_NE(field, nullptr);
        const QLabel *caption = nullptr;
        if (auto *labeled = qobject_cast<LabeledEdit *>(field))
            caption = labeled->editLabel();
        else if (auto *spinField = qobject_cast<SpinEdit *>(field))
            caption = spinField->captionLabel();
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->text(), QString::fromUtf8(expected.caption));
        EXPECT_EQ(field->toolTip(), QString::fromUtf8(expected.hint));
        EXPECT_TRUE(caption->isVisible());
        EXPECT_EQ(caption->geometry().bottom() + 1 + 3, field->y());
        EXPECT_EQ(caption->x(), field->x());
    }
}

// Every other control with its text and hint.
struct Titled
{
    const char *name;
    const char *text;
    const char *hint;
};

TEST_F(ConsoleTest, ButtonsBoxesAndLabelsHaveTheirTextsAndHints)
{
    const Titled controls[] = {
        {"Button2", "№", "Отображение номера цели на экране"},
        {"Button1", "Обновление сетки",
            "Восстановление координатной сетки после стирания ластиком"},
        {"CheckBox1", "Отображение", "Вывод на экран расчитанных угловых величин"},
        {"CheckBox2", "Отображение", "Вывод на экран расчитанных линейных величин"},
        {"RadioButton1", "Вкл. движение цели", ""},
        {"RadioButton2", "Выкл. движение цели", ""},
        {"SpeedButton1", "", "Отображение на экране времени с начала работы программы"},
        {"SpeedButton2", "", "Отображение на зкране судового времени"},
        {"SBErase", "", "Включение и выключение ластика"},
    };
    for (const Titled &expected : controls) {
        SCOPED_TRACE(expected.name);
        auto *button = get<QAbstractButton>(expected.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(expected.text));
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(expected.hint));
    }
    EXPECT_EQ(get<QGroupBox>("GroupBox1")->title(), "");
    EXPECT_EQ(get<QGroupBox>("GroupBox1")->toolTip(),
        "При подготовке стрельбы резервным способом движение цели надо выключать");
    EXPECT_EQ(get<QLabel>("Label22")->text(), "Оперативное время");
    EXPECT_EQ(get<QLabel>("Label23")->text(), "Судовое время");
    EXPECT_FALSE(get<QToolButton>("SBErase")->icon().isNull());

    auto *banner = get<QLabel>("Label13");
    EXPECT_EQ(banner->text(), "СТРЕЛЬБА ЗАПРЕЩЕНА");
    EXPECT_TRUE(banner->font().bold());
    EXPECT_EQ(banner->font().pointSize(), 10);
    EXPECT_EQ(banner->palette().color(QPalette::Window), QColor(Qt::red));
}

TEST_F(ConsoleTest, BlocksAreFramedWithTheirCaptions)
{
    QStringList titles;
    for (QGroupBox *box : form->findChildren<QGroupBox *>())
        titles << box->title();
    for (const char *title :
        {"Параметры движения цели", "Параметры движения ПЛ", "Относительные Кц и Vц",
            "Данные для стрельбы", "Расчетные данные для ТС по угловым величинам",
            "Расчетные данные для ТС по линейным величинам"})
        EXPECT_TRUE(titles.contains(QString::fromUtf8(title))) << title;
}

struct Range
{
    const char *upDown;
    const char *field;
    int minimum, maximum, increment;
    bool wraps;
};

TEST_F(ConsoleTest, UpDownsHaveTheirRangesStepsAndWrapping)
{
    const Range ranges[] = {
        {"UpDown13", "LabeledEdit4", 1, 10, 1, false},
        {"UpDown7", "LabeledEdit7", 0, 359, 1, true},
        {"UpDown3", "LabeledEdit8", 0, 300, 1, false},
        {"UpDown1", "LabeledEdit9", 0, 359, 1, true},
        {"UpDown2", "LabeledEdit1", 0, 50, 1, false},
        {"UpDown4", "LabeledEdit5", 0, 359, 1, true},
        {"UpDown5", "LabeledEdit6", 0, 50, 1, false},
        {"UpDown8", "LabeledEdit14", 0, 200, 1, false},
        {"UpDown9", "LabeledEdit15", 0, 32000, 1000, false},
        {"UpDown10", "LabeledEdit16", 0, 4000, 100, false},
        {"UpDown11", "LabeledEdit17", 0, 700, 50, false},
        {"UpDown6", "LabeledEdit18", -45, 45, 1, false},
        {"UpDown12", "LabeledEdit19", 0, 15000, 1, false},
    };
    for (const Range &expected : ranges) {
        SCOPED_TRACE(expected.upDown);
        UpDown *u = upDown(expected.upDown);
        ASSERT_NE(u, nullptr);
        EXPECT_EQ(u->associate()->objectName(), expected.field);
        EXPECT_EQ(u->minimum(), expected.minimum);
        EXPECT_EQ(u->maximum(), expected.maximum);
        EXPECT_EQ(u->increment(), expected.increment);
        EXPECT_EQ(u->wraps(), expected.wraps);
        if (u->isEnabled()) {
            EXPECT_TRUE(u->associate()->isReadOnly());
        }
    }
    EXPECT_EQ(spin("SpinEdit1")->minimum(), -150);
    EXPECT_EQ(spin("SpinEdit1")->maximum(), 150);
    EXPECT_EQ(spin("SpinEdit1")->singleStep(), 10);
    EXPECT_EQ(spin("SpinEdit3")->maximum(), 10000);
    EXPECT_EQ(spin("SpinEdit3")->singleStep(), 100);
    EXPECT_EQ(spin("SpinEdit2")->maximum(), 5);
    for (const char *name : {"SpinEdit1", "SpinEdit2", "SpinEdit3"})
        EXPECT_FALSE(spin(name)->wrapping()) << name;
}

TEST_F(ConsoleTest, WindowLayout)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("БИУС \"Вармет\""));
    EXPECT_EQ(form->size(), QSize(1024, 738));
    EXPECT_EQ(form->pos(), QPoint(62, 31));

    QWidget *board = get("Image3");
    QWidget *client = board->parentWidget();
    EXPECT_EQ(board->geometry(), QRect(32, 0, 650, 650));
    EXPECT_EQ(get("SBErase")->pos(), QPoint(4, 3));
    for (QGroupBox *block : client->findChildren<QGroupBox *>(Qt::FindDirectChildrenOnly)) {
        if (block->objectName() == "GroupBox1")
            continue;
        EXPECT_GE(block->x(), 688) << block->title().toStdString();
        EXPECT_LE(block->geometry().right(), 1070) << block->title().toStdString();
    }
    const QRect button1 = get("Button1")->geometry();
    EXPECT_EQ(button1.left(), 32);
    EXPECT_GE(button1.top(), 650);
    const QRect motion = get("GroupBox1")->geometry();
    EXPECT_GE(motion.left(), 32 + 325);
    EXPECT_LE(motion.right(), 32 + 650);
    EXPECT_GE(motion.top(), 650);
    for (const char *timeControl :
        {"Label22", "Label12", "SpeedButton1", "Label23", "Label19", "SpeedButton2"}) {
        EXPECT_GE(get(timeControl)->x(), 688) << timeControl;
        EXPECT_GE(get(timeControl)->y(), 641) << timeControl;
    }
    // Scale labels over the board, at their board point + (32, 0) in the client.
    EXPECT_EQ(get("Label5")->mapTo(client, QPoint(0, 0)), QPoint(328 + 32, 635));
}

TEST_F(ConsoleTest, ScrollBarsAppearWhenTheWindowIsSmallerThanItsContent)
{
    form->show();
    auto *scroll = qobject_cast<QScrollArea *>(form->centralWidget());
    ASSERT_NE(scroll, nullptr);
    form->resize(600, 400);
    QApplication::processEvents();
    EXPECT_GT(scroll->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
    form->resize(1200, 800);
    QApplication::processEvents();
    EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 0);
}

TEST_F(ConsoleTest, FontShowsCyrillicAndTheNumeroSign)
{
    const QFont font = get("Button2")->font();
    EXPECT_EQ(font.pointSize(), 8);
    const QFontMetrics metrics(font);
    for (QChar c : QStringLiteral("№ЖщВармет"))
        EXPECT_TRUE(metrics.inFont(c)) << int(c.unicode());
}

TEST_F(ConsoleTest, MenuHasItsItemsAndTheSaveShortcut)
{
    const struct
    {
        const char *menu, *menuTitle, *item, *itemTitle;
    } items[] = {{"MFile", "&Файл", "MOpen", "&Открыть"},
        {"MFile", "&Файл", "MSave", "&Сохранить как..."}, {"N1", "Правка", "N2", "Отменить"},
        {"N3", "Справка", "N4", "Справка"}};
    for (const auto &expected : items) {
        SCOPED_TRACE(expected.item);
        auto *menu = get<QMenu>(expected.menu);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->title(), QString::fromUtf8(expected.menuTitle));
        EXPECT_TRUE(form->menuBar()->actions().contains(menu->menuAction()));
        auto *action = get<QAction>(expected.item);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(expected.itemTitle));
        EXPECT_TRUE(menu->actions().contains(action));
    }
    EXPECT_EQ(get<QAction>("MSave")->shortcut(), QKeySequence(Qt::Key_F2));
}

TEST_F(ConsoleTest, F2AsksForTheFileToSaveTo)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F2);
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, TForm1::FileRequest::Kind::Save);
    EXPECT_EQ(fileRequests[0].defaultName, "Picture");
    EXPECT_EQ(fileRequests[0].defaultSuffix, "bmp");
    EXPECT_TRUE(fileRequests[0].filter.contains("*.bmp"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ConsoleTest, OpenDialogListsBitmapsIconsAndMetafiles)
{
    get<QAction>("MOpen")->trigger();
    ASSERT_EQ(fileRequests.size(), 1u);
    EXPECT_EQ(fileRequests[0].kind, TForm1::FileRequest::Kind::Open);
    for (const char *pattern : {"*.bmp", "*.ico", "*.emf", "*.wmf"})
        EXPECT_TRUE(fileRequests[0].filter.contains(pattern)) << pattern;
    EXPECT_TRUE(messages.isEmpty()); // cancelled: nothing happens
}

TEST_F(ConsoleTest, HelpItemShowsTheHelpWindow)
{
    QWidget help;
    form->setHelpWindow(&help);
    get<QAction>("N4")->trigger();
    EXPECT_TRUE(help.isVisible());
    get<QAction>("N4")->trigger();
    EXPECT_TRUE(help.isVisible());
}

TEST_F(ConsoleTest, AFaultInAHandlerIsShownOnceAndTheProgramGoesOn)
{
    edit("LabeledEdit4")->setText(QStringLiteral("x"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages[0].isEmpty());
    upDown("UpDown13")->click(Direction::Up); // the field is read as its minimum and stepped
    EXPECT_EQ(text("LabeledEdit4"), "2");
    EXPECT_EQ(form->state().Slots[1].TargetNumber, 2);
    EXPECT_EQ(messages.size(), 1);
}

// ---- The time buttons ---------------------------------------------------------------------------

struct TimeButtonsCase
{
    std::vector<int> clicks; // 1: SpeedButton1, 2: SpeedButton2
    bool down1, down2;
    int timeMode;
};

class TimeButtons : public ConsoleTest, public ::testing::WithParamInterface<TimeButtonsCase>
{
};

TEST_P(TimeButtons, AtMostOneIsDownAndTheLastClickSetsTheTimeMode)
{
    const TimeButtonsCase c = GetParam();
    for (int button : c.clicks)
        QTest::mouseClick(
            get<QToolButton>(button == 1 ? "SpeedButton1" : "SpeedButton2"), Qt::LeftButton);
    EXPECT_EQ(get<QToolButton>("SpeedButton1")->isChecked(), c.down1);
    EXPECT_EQ(get<QToolButton>("SpeedButton2")->isChecked(), c.down2);
    EXPECT_EQ(form->state().TimeMode, c.timeMode);
}

INSTANTIATE_TEST_SUITE_P(Clicks, TimeButtons,
    ::testing::Values(TimeButtonsCase {{}, true, false, 1}, TimeButtonsCase {{1}, false, false, 1},
        TimeButtonsCase {{2}, false, true, 0}, TimeButtonsCase {{2, 2}, false, false, 0},
        TimeButtonsCase {{2, 1}, true, false, 1}, TimeButtonsCase {{1, 1}, true, false, 1},
        TimeButtonsCase {{1, 2, 2, 1}, true, false, 1}));

} // namespace
