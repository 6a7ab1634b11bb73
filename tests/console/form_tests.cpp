// The main window as the operator finds it: start-up state, captions and hints, ranges, frame,
// menu and dialogs, the time buttons and the routing of faults.

#include "console_fixture.h"

#include "tests/support/fake_screen.h"

#include "console/app/fault_guard.h"
#include "console/main_window/window_fields.h"
#include "cycle/tick_cycle.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <tuple>

using namespace varmet;

namespace {

// What the window shows at the start is in the startup scenario; here what it cannot print.
TEST_F(ConsoleTest, StartsWithTheDefaultsOfTheWindow)
{
    auto *banner = get<QLabel>("Label13");
    EXPECT_TRUE(banner->font().bold());
    EXPECT_EQ(banner->font().pointSize(), 10);
    EXPECT_FALSE(get<QToolButton>("SBErase")->icon().isNull());
    EXPECT_FALSE(edit("LabeledEdit19")->isEnabled());
    EXPECT_NE(edit("LabeledEdit19")->background(), QColor(Qt::white));
    // The analysis fields are displays.
    for (const char *analysis : {"LabeledEdit10", "LabeledEdit13", "LabeledEdit12"})
        EXPECT_TRUE(edit(analysis)->isReadOnly() && edit(analysis)->isEnabled()) << analysis;
    EXPECT_FALSE(upDown("UpDown12")->isEnabled());
    EXPECT_EQ(runningAtStart, (QStringList {"Timer1", "Timer2"}));
    EXPECT_EQ(timer("Timer1")->interval(), 1000);
    EXPECT_EQ(timer("Timer2")->interval(), 1000);
}

// Every control with its caption (above a field, else its own text or title) and its hint, as
// stored in captions.txt, one "name<tab>caption<tab>hint" line each, by name.
TEST_F(ConsoleTest, EveryControlHasItsCaptionAndHint)
{
    form->show();
    QStringList lines;
    for (QWidget *control : form->findChildren<QWidget *>()) {
        QLabel *above = nullptr; // the caption of a field stands above it
        if (auto *field = qobject_cast<LabeledEdit *>(control))
            above = field->editLabel();
        else if (auto *spinField = qobject_cast<SpinEdit *>(control))
            above = spinField->captionLabel();
        const bool box = qobject_cast<QGroupBox *>(control);
        const QString caption = above ? above->text()
            : box || qobject_cast<QAbstractButton *>(control)
                || QStringList {"Label13", "Label22", "Label23"}.contains(control->objectName())
            ? control->property(box ? "title" : "text").toString()
            : QString();
        if (control->objectName().isEmpty() || (caption.isEmpty() && control->toolTip().isEmpty()))
            continue;
        lines << control->objectName() + u'\t' + caption + u'\t' + control->toolTip();
        if (above) {
            EXPECT_TRUE(above->isVisible());
            EXPECT_EQ(above->geometry().bottom() + 1 + 3, control->y());
            EXPECT_EQ(above->x(), control->x());
        }
    }
    lines.sort();
    QFile stored(QStringLiteral(SCENARIO_DIR "/../console/captions.txt"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_EQ(lines.join(u'\n') + u'\n', QString::fromUtf8(stored.readAll()));
}

// The ranges and increments of the arrows are in the stepping scenario. Here: a stepped field is
// typed only through its arrows, an unreadable one steps from the minimum after its fault is
// shown once, and a spin field reports each change once.
TEST_F(ConsoleTest, UpDownsStepTheirFieldsAndAnUnreadableOneFromItsMinimum)
{
    for (UpDown *u : form->findChildren<UpDown *>())
        EXPECT_TRUE(u->associate()->isReadOnly() || !u->isEnabled())
            << u->objectName().toStdString();
    edit("LabeledEdit4")->setText("x");
    upDown("UpDown13")->click(Up);
    EXPECT_EQ(text("LabeledEdit4"), "2");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages[0].isEmpty());
    EXPECT_EQ(form->state().Slots[1].TargetNumber, 2);
    QSignalSpy thetaChanges(spin("SpinEdit1"), &SpinEdit::fieldTextChanged);
    for (int i = 0; i < 7; ++i)
        spin("SpinEdit1")->stepUp();
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

// A size smaller than the content is taken again only when the operator gave it, never when a
// smaller screen once forced it.
TEST(ConsoleWindow, OpensSmallerThanItsContentOnlyWhenTheOperatorMadeItSo)
{
    const auto whole = [](TForm1 &window) {
        auto *scroll = qobject_cast<QScrollArea *>(window.centralWidget());
        return scroll->horizontalScrollBar()->maximum() == 0
            && scroll->verticalScrollBar()->maximum() == 0;
    };
    {
        const test::FakeScreen screen({0, 0, 800, 600});
        TForm1 window;
        window.show();
        QApplication::processEvents();
        EXPECT_FALSE(whole(window));
        EXPECT_TRUE(window.close());
    }
    const test::FakeScreen screen({0, 0, 1920, 1080});
    {
        TForm1 window;
        window.show();
        QApplication::processEvents();
        EXPECT_TRUE(whole(window));
        window.setGeometry(100, 100, 700, 500);
        EXPECT_TRUE(window.close());
    }
    TForm1 window;
    EXPECT_EQ(window.geometry(), QRect(100, 100, 700, 500));
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
            "  MUndoAction Отменить действие Ctrl+Z",
            "  MRedoAction Повторить действие Ctrl+Shift+Z; Ctrl+Y", "  N2 Восстановить рисунок ",
            "  MFixBearing Замер пеленга F6", "  MActionLog Журнал действий ", "MAnalysis Анализ",
            "  MBearings Анализ пеленгов F3", "MExercise &Учение", "  MExerciseStart &Начать… ",
            "  MExerciseScore &Итоги ", "  MExerciseStop &Завершить ", "N3 Справка",
            "  N4 Справка F1"}));
}

TEST_F(ConsoleTest, F2AndOpenAskForTheirFiles)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), WindowWait));
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

// The board's actions are undone from "Правка" in the operator's words, each exactly; saving a
// picture is no change of the plot (closing right after asks nothing), opening one is.
TEST_F(ConsoleTest, TheBoardsActionsAreUndoneFromTheEditMenuAndSavingAPictureIsNoChange)
{
    QTemporaryDir dir;
    auto *undo = get<QAction>("MUndoAction");
    const auto undoItem = [this, undo] {
        emit get<QMenu>("N1")->aboutToShow();
        return undo->text();
    };
    const auto pixel = [this] { return form->board().canvas().picture().pixel(325, 200); };
    const QRgb line = pixel(); // the vertical line through the centre
    get<QToolButton>("SBErase")->click();
    form->Image3MouseDown(325, 200, Qt::LeftButton);
    form->Image3MouseMove(340, 210, Qt::LeftButton);
    form->Image3MouseUp(340, 210);
    EXPECT_EQ(undoItem(), "Отменить: ластик");
    ASSERT_NE(pixel(), line);

    form->desk().markSaved();
    fileAnswer = dir.filePath("plot.bmp");
    get<QAction>("MSave")->trigger();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(form->hasUnsavedChanges());
    EXPECT_EQ(undoItem(), "Отменить: ластик"); // the save is not on the undo stack
    undo->trigger();
    EXPECT_EQ(pixel(), line);
    EXPECT_TRUE(form->journal().text().endsWith("menu MSave " + fileAnswer + "\nundo\n"));

    const QImage before = form->board().canvas().picture().copy();
    get<QAction>("MOpen")->trigger();
    EXPECT_TRUE(form->hasUnsavedChanges());
    EXPECT_EQ(undoItem(), "Отменить: открыт рисунок plot.bmp");
    EXPECT_NE(pixel(), line); // the picture as saved, erased there
    undo->trigger();
    EXPECT_EQ(form->board().canvas().picture(), before);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(questions, QStringList {"Сохранить изменения?"});
}

TEST(ConsoleWindow, AtMostOneTimeButtonIsDownAndTheLastClickSetsTheTimeMode)
{
    const struct
    {
        const char *clicks; // in order: 1 for SpeedButton1, 2 for SpeedButton2
        bool down1, down2;
        bool shipClock;
    } cases[] = {{"", true, false, false}, {"1", false, false, false}, {"2", false, true, true},
        {"22", false, false, true}, {"21", true, false, false}, {"11", true, false, false},
        {"1221", true, false, false}};
    for (const auto &c : cases) {
        TForm1 window;
        auto *button1 = window.findChild<QToolButton *>("SpeedButton1");
        auto *button2 = window.findChild<QToolButton *>("SpeedButton2");
        for (const char *click = c.clicks; *click; ++click)
            QTest::mouseClick(*click == '1' ? button1 : button2, Qt::LeftButton);
        EXPECT_EQ(
            std::tuple(button1->isChecked(), button2->isChecked(), window.cycle().shipClockMarks()),
            std::tuple(c.down1, c.down2, c.shipClock))
            << "clicks " << c.clicks;
    }
}

// The fields are kept apart from the widgets, which show them: a value the program writes shows
// at once and runs its entry once, not once more for the widget's own change; what the operator
// changes in a widget comes into the fields, and a changed text runs its entry.
TEST_F(ConsoleTest, TheWidgetsShowTheFieldsAndBringBackTheOperatorsChanges)
{
    FaultGuard guard([](const QString &) {});
    int entries = 0;
    WindowFields fields(form.get(), guard, [&entries](const auto &) { ++entries; });
    auto *radio1 = get<QAbstractButton>("RadioButton1");
    fields.setText(Control::LabeledEdit5, QStringLiteral("30"));
    fields.setSpinValue(Control::SpinEdit1, 45);
    fields.setChecked(Control::RadioButton1, false);
    EXPECT_EQ(std::tuple(text("LabeledEdit5"), spin("SpinEdit1")->value(), radio1->isChecked(),
                  get<QAbstractButton>("RadioButton2")->isChecked(), entries),
        std::tuple(QString("30"), 45, false, true, 1));

    edit("LabeledEdit6")->setText(QStringLiteral("12"));
    spin("SpinEdit3")->typeText(QStringLiteral("40"));
    radio1->click();
    EXPECT_EQ(std::tuple(fields.text(Control::LabeledEdit6), fields.spinValue(Control::SpinEdit3),
                  fields.isChecked(Control::RadioButton1), entries),
        std::tuple(QString("12"), 40, true, 2));
}

} // namespace
