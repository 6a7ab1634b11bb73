// The main window as the operator finds it: start-up state, captions and hints, ranges, frame,
// menu and dialogs, the time buttons and the routing of faults.

#include "console_fixture.h"

#include "tests/support/fake_screen.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <tuple>

using namespace varmet;

namespace {

TEST_F(ConsoleTest, StartsWithTheDefaultsOfTheWindow)
{
    for (const char *down : {"SpeedButton1", "RadioButton1", "CheckBox2"})
        EXPECT_TRUE(get<QAbstractButton>(down)->isChecked()) << down;
    for (const char *up : {"SpeedButton2", "RadioButton2", "CheckBox1", "SBErase"})
        EXPECT_FALSE(get<QAbstractButton>(up)->isChecked()) << up;
    EXPECT_EQ(text("LabeledEdit1"), "20");
    EXPECT_EQ(text("LabeledEdit14"), "45");
    EXPECT_EQ(text("LabeledEdit15"), "19000");
    EXPECT_EQ(text("LabeledEdit17"), "200");
    EXPECT_EQ(spin("SpinEdit1")->value(), 90);
    auto *banner = get<QLabel>("Label13");
    EXPECT_TRUE(banner->isHidden());
    EXPECT_TRUE(banner->font().bold());
    EXPECT_EQ(banner->font().pointSize(), 10);
    EXPECT_FALSE(get<QToolButton>("SBErase")->icon().isNull());
    EXPECT_FALSE(edit("LabeledEdit19")->isEnabled());
    EXPECT_NE(edit("LabeledEdit19")->background(), QColor(Qt::white));
    // The analysis fields are displays, empty while the target has no fix.
    for (const char *analysis : {"LabeledEdit10", "LabeledEdit13", "LabeledEdit12"}) {
        EXPECT_TRUE(edit(analysis)->isReadOnly() && edit(analysis)->isEnabled()) << analysis;
        EXPECT_EQ(text(analysis), "") << analysis;
    }
    EXPECT_FALSE(upDown("UpDown12")->isEnabled());
    EXPECT_EQ(runningAtStart, (QStringList {"Timer1", "Timer2"}));
    EXPECT_EQ(timer("Timer1")->interval(), 1000);
    EXPECT_EQ(timer("Timer2")->interval(), 1000);
}

// Every control with its caption (above a field, else its own text or title) and its hint.
struct Captioned
{
    const char *name, *caption, *hint; // "" for none
};

constexpr Captioned Captions[] = {
    {"SpinEdit2", "Номер п/п", "Переключение между целями"},
    {"LabeledEdit4", "Номер цели", "Ввод номера цели"},
    {"LabeledEdit7", "П акустический", "Ввод акустического пеленга на цель"},
    {"LabeledEdit8", "Д до цели (кбт)", "Корректура дистанции до цели"},
    {"Edit1", "П автоматный", "Отображение расчетного пеленга на цель"},
    {"LabeledEdit11", "Д автоматная", "Отображение расчетной дистанции до цели"},
    {"LabeledEdit10", "Delta П", "Отклонение последнего замеренного пеленга от расчетного (промах пробного решения), град"},
    {"LabeledEdit13", "Delta Д", "Отклонение последней замеренной дистанции от расчетной, кбт"},
    {"LabeledEdit12", "ВИП", "Скорость изменения расчетного пеленга при пробных Кц и Vц, град/мин (плюс: пеленг растет)"},
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
    {"Button2", "№", "Отображение номера цели на экране"},
    {"Button1", "Обновление сетки", "Восстановление координатной сетки после стирания ластиком"},
    {"CheckBox1", "Отображение", "Вывод на экран расчитанных угловых величин"},
    {"CheckBox2", "Отображение", "Вывод на экран расчитанных линейных величин"},
    {"RadioButton1", "Вкл. движение цели", ""},
    {"RadioButton2", "Выкл. движение цели", ""},
    {"SpeedButton1", "", "Отображение на экране времени с начала работы программы"},
    {"SpeedButton2", "", "Отображение на зкране судового времени"},
    {"SBErase", "", "Включение и выключение ластика"},
    {"GroupBox1", "", "При подготовке стрельбы резервным способом движение цели надо выключать"},
    {"GroupBox2", "Параметры движения цели", ""},
    {"GroupBox3", "Параметры движения ПЛ", ""},
    {"GroupBox4", "Относительные Кц и Vц", ""},
    {"GroupBox5", "Данные для стрельбы", ""},
    {"GroupBox6", "Расчетные данные для ТС по угловым величинам", ""},
    {"GroupBox7", "Расчетные данные для ТС по линейным величинам", ""},
    {"Label22", "Оперативное время", ""},
    {"Label23", "Судовое время", ""},
    {"Label13", "СТРЕЛЬБА ЗАПРЕЩЕНА", ""},
};

TEST_F(ConsoleTest, EveryControlHasItsCaptionAndHint)
{
    form->show();
    for (const Captioned &expected : Captions) {
        SCOPED_TRACE(expected.name);
        QWidget *control = get(expected.name);
        ASSERT_NE(control, nullptr);
        QLabel *above = nullptr; // the caption of a field stands above it
        if (auto *field = qobject_cast<LabeledEdit *>(control))
            above = field->editLabel();
        else if (auto *spinField = qobject_cast<SpinEdit *>(control))
            above = spinField->captionLabel();
        const char *own = qobject_cast<QGroupBox *>(control) ? "title" : "text";
        EXPECT_EQ(above ? above->text() : control->property(own).toString(),
            QString::fromUtf8(expected.caption));
        EXPECT_EQ(control->toolTip(), QString::fromUtf8(expected.hint));
        if (above) {
            EXPECT_TRUE(above->isVisible());
            EXPECT_EQ(above->geometry().bottom() + 1 + 3, control->y());
            EXPECT_EQ(above->x(), control->x());
        }
    }
}

// Each up-down with its field, range, increment and wrapping, and one step that shows them.
// The step also shows that a field's fault is reported once and the program goes on.
TEST_F(ConsoleTest, UpDownsStepTheirFieldsWithinTheirRanges)
{
    const struct
    {
        const char *upDown, *field;
        int minimum, maximum, increment;
        bool wraps;
        const char *start;
        UpDown::Direction direction;
        const char *stepped;
    } ranges[] = {
        {"UpDown13", "LabeledEdit4", 1, 10, 1, false, "x", Up, "2"}, // unreadable: the minimum
        {"UpDown7", "LabeledEdit7", 0, 359, 1, true, "359", Up, "0"},
        {"UpDown3", "LabeledEdit8", 0, 300, 1, false, "300", Up, "300"},
        {"UpDown1", "LabeledEdit9", 0, 359, 1, true, "0", Down, "359"},
        {"UpDown2", "LabeledEdit1", 0, 50, 1, false, "0", Down, "0"},
        {"UpDown4", "LabeledEdit5", 0, 359, 1, true, "359", Up, "0"},
        {"UpDown5", "LabeledEdit6", 0, 50, 1, false, "50", Up, "50"},
        {"UpDown8", "LabeledEdit14", 0, 200, 1, false, "200", Up, "200"},
        {"UpDown9", "LabeledEdit15", 0, 32000, 1000, false, "9999", Up, "10999"}, // no grouping
        {"UpDown10", "LabeledEdit16", 0, 4000, 100, false, "3950", Up, "4000"},
        {"UpDown11", "LabeledEdit17", 0, 700, 50, false, "0", Up, "50"},
        {"UpDown6", "LabeledEdit18", -45, 45, 1, false, "-45", Down, "-45"},
        {"UpDown12", "LabeledEdit19", 0, 15000, 1, false, "15000", Up, "15000"},
    };
    for (const auto &e : ranges) {
        SCOPED_TRACE(e.upDown);
        UpDown *u = upDown(e.upDown);
        ASSERT_NE(u, nullptr);
        EXPECT_EQ(std::tuple(u->associate()->objectName(), u->minimum(), u->maximum(),
                      u->increment(), u->wraps()),
            std::tuple(QString::fromLatin1(e.field), e.minimum, e.maximum, e.increment, e.wraps));
        EXPECT_TRUE(u->associate()->isReadOnly() || !u->isEnabled());
        u->associate()->setText(QString::fromLatin1(e.start));
        QSignalSpy changes(u->associate(), &QLineEdit::textChanged);
        u->click(e.direction);
        EXPECT_EQ(u->associate()->text(), e.stepped);
        EXPECT_EQ(changes.count(), QLatin1String(e.start) == e.stepped ? 0 : 1);
    }
    // Only the unreadable "Номер цели" was refused, once; the field works on.
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages[0].isEmpty());
    EXPECT_EQ(form->state().Slots[1].TargetNumber, 2);
    const auto spinRange = [this](const char *name) {
        const SpinEdit *s = spin(name);
        return std::tuple(s->minimum(), s->maximum(), s->singleStep(), s->wrapping());
    };
    EXPECT_EQ(spinRange("SpinEdit1"), std::tuple(-150, 150, 10, false));
    EXPECT_EQ(spinRange("SpinEdit2"), std::tuple(1, 5, 1, false));
    EXPECT_EQ(spinRange("SpinEdit3"), std::tuple(0, 10000, 100, false));
    QSignalSpy thetaChanges(spin("SpinEdit1"), &SpinEdit::fieldTextChanged);
    for (int i = 0; i < 7; ++i)
        spin("SpinEdit1")->stepUp();
    EXPECT_EQ(spin("SpinEdit1")->value(), 150);
    EXPECT_EQ(thetaChanges.count(), 6); // once for each change
}

TEST_F(ConsoleTest, WindowCaptionFontAndBoard)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("БИУС \"Вармет\""));
    EXPECT_EQ(get("Image3")->geometry(), QRect(32, 0, 650, 650));
    const QFont font = get("Button2")->font();
    EXPECT_EQ(font.pointSize(), 8);
    for (QChar c : QStringLiteral("№ЖщВармет"))
        EXPECT_TRUE(QFontMetrics(font).inFont(c)) << int(c.unicode());
}

// The window opens wide and tall enough for its whole content where the screen has room, at
// (62, 31) or moved toward the corner just enough; on a smaller screen as large as the screen,
// with scroll bars.
TEST(ConsoleWindow, OpensWithItsWholeContentWhereTheScreenAllows)
{
    const struct
    {
        QRect screen;
        bool usualPlace, whole;
    } screens[] = {
        {{0, 0, 1024, 768}, false, true}, {{0, 0, 1280, 800}, true, true},
        {{0, 0, 1366, 768}, true, true}, {{0, 0, 1920, 1080}, true, true},
        {{0, 0, 800, 600}, false, false}, {{0, 0, 1024, 700}, false, false},
        {{1920, 30, 1920, 1050}, true, true}, // a second screen, under a panel
    };
    for (const auto &s : screens) {
        SCOPED_TRACE(s.screen.width());
        const test::FakeScreen screen(s.screen);
        TForm1 window;
        window.show();
        QApplication::processEvents();
        const QRect frame = window.frameGeometry();
        EXPECT_TRUE(s.screen.contains(frame));
        if (s.usualPlace)
            EXPECT_EQ(frame.topLeft(), s.screen.topLeft() + QPoint(62, 31));
        else
            EXPECT_TRUE(frame.right() == s.screen.right() || frame.left() == s.screen.left());
        auto *scroll = qobject_cast<QScrollArea *>(window.centralWidget());
        ASSERT_NE(scroll, nullptr);
        EXPECT_EQ(scroll->horizontalScrollBar()->maximum() == 0
                && scroll->verticalScrollBar()->maximum() == 0,
            s.whole);
    }
}

// The place the operator left the window in is taken again when it lies on the screen.
TEST(ConsoleWindow, OpensWhereItWasClosedWhenThatFitsTheScreen)
{
    {
        const test::FakeScreen screen({0, 0, 1920, 1080});
        TForm1 window;
        window.show();
        window.setGeometry(300, 200, 1100, 760);
        EXPECT_TRUE(window.close());
    }
    {
        const test::FakeScreen screen({0, 0, 1920, 1080});
        TForm1 window;
        EXPECT_EQ(window.geometry(), QRect(300, 200, 1100, 760));
    }
    const test::FakeScreen screen({0, 0, 1280, 800}); // no longer fits: placed as at first
    TForm1 window;
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(62, 31));
    QSettings(QStringLiteral("Varmet"), QStringLiteral("varmet")).clear();
}

TEST_F(ConsoleTest, MenuBarHoldsItsMenusAndItemsInOrder)
{
    QStringList shown;
    for (QAction *menu : form->menuBar()->actions()) {
        shown << menu->objectName() + ' ' + menu->text();
        for (QAction *item : menu->menu()->actions()) {
            if (!item->isSeparator())
                shown << "  " + item->objectName() + ' ' + item->text() + ' '
                        + QKeySequence::listToString(item->shortcuts());
        }
    }
    EXPECT_EQ(shown,
        (QStringList {"MFile &Файл", "  MOpen &Открыть Ctrl+O",
            "  MSave &Сохранить как... F2; Ctrl+S", "  MSaveSession Сохранить &сеанс… ",
            "  MOpenSession Открыть с&еанс… ", "  MSaveJournal Сохранить &журнал… ",
            "  MReplayJournal &Воспроизвести журнал… ", "  MExit &Выход Ctrl+Q", "N1 Правка",
            "  N2 Отменить Ctrl+Z", "MAnalysis Анализ", "  MBearings Анализ пеленгов F3",
            "MExercise &Учение", "  MExerciseStart &Начать… ", "  MExerciseScore &Итоги ",
            "  MExerciseStop &Завершить ", "N3 Справка", "  N4 Справка F1"}));
}

TEST_F(ConsoleTest, F2AndOpenAskForTheirFiles)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F2);
    get<QAction>("MOpen")->trigger();

    ASSERT_EQ(fileRequests.size(), 2u);
    const TForm1::FileRequest &save = fileRequests[0], &open = fileRequests[1];
    EXPECT_EQ(save.kind, TForm1::FileRequest::Kind::Save);
    EXPECT_EQ(save.defaultName, "Picture");
    EXPECT_EQ(save.defaultSuffix, "bmp");
    EXPECT_EQ(save.filter, "Точечные рисунки (*.bmp);;Рисунки PNG (*.png)");
    EXPECT_EQ(open.kind, TForm1::FileRequest::Kind::Open);
    EXPECT_EQ(open.filter,
        "Все (*.bmp *.png *.ico);;Точечные рисунки (*.bmp);;"
        "Рисунки PNG (*.png);;Значки (*.ico)"); // only what can be opened
    EXPECT_TRUE(messages.isEmpty()); // both cancelled: nothing happens
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

TEST(ConsoleWindow, AtMostOneTimeButtonIsDownAndTheLastClickSetsTheTimeMode)
{
    const struct
    {
        const char *clicks; // in order: 1 for SpeedButton1, 2 for SpeedButton2
        bool down1, down2;
        int timeMode;
    } cases[] = {{"", true, false, 1}, {"1", false, false, 1}, {"2", false, true, 0},
        {"22", false, false, 0}, {"21", true, false, 1}, {"11", true, false, 1},
        {"1221", true, false, 1}};
    for (const auto &c : cases) {
        TForm1 window;
        auto *button1 = window.findChild<QToolButton *>("SpeedButton1");
        auto *button2 = window.findChild<QToolButton *>("SpeedButton2");
        for (const char *click = c.clicks; *click; ++click)
            QTest::mouseClick(*click == '1' ? button1 : button2, Qt::LeftButton);
        EXPECT_EQ(std::tuple(button1->isChecked(), button2->isChecked(), window.state().TimeMode),
            std::tuple(c.down1, c.down2, c.timeMode))
            << "clicks " << c.clicks;
    }
}

} // namespace
