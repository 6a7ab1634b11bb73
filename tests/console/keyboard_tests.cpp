// The console from the keyboard and for a screen reader: typed entry in the fields with arrows,
// the keys that step them, the Tab order, accessible names; and the desk around it: no control
// covering another, the question before unsaved work is lost, the folder of the file dialogs.

#include "console_fixture.h"

#include "board/board.h"
#include "console/app/program_windows.h"
#include "console/scripting/script_runner.h"
#include "console/widget_kit/typed_entry.h"
#include "desk/desk.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace varmet;

namespace {

// A bearing and a distance typed in give the same slot and board as the same values stepped in.
// (Target motion is off between the entries: each step re-reads the present distance, so a
// target that has moved since the last tick may end a few metres apart after many steps.)
TEST(TypedEntryEquivalence, TypedBearingAndDistanceEqualTheStepsThere)
{
    TForm1 stepped, typed;
    for (TForm1 *form : {&stepped, &typed}) {
        for (QTimer *each : form->findChildren<QTimer *>())
            each->stop();
        form->findChild<UpDown *>("UpDown4")->click(Up);
        form->findChild<LabeledEdit *>("LabeledEdit6")->setText("12");
        form->findChild<QRadioButton *>("RadioButton2")->click();
    }
    const auto steps = [&](const char *upDown, int n, UpDown::Direction way) {
        for (int i = 0; i < n; ++i)
            stepped.findChild<UpDown *>(upDown)->click(way);
    };
    const auto enter = [&](const char *field, const char *text) {
        ASSERT_TRUE(TypedEntry::of(typed.findChild<LabeledEdit *>(field)));
        TypedEntry *entry = TypedEntry::of(typed.findChild<LabeledEdit *>(field));
        entry->type(QString::fromLatin1(text));
        EXPECT_TRUE(entry->apply());
    };
    steps("UpDown7", 45, Up);
    steps("UpDown3", 60, Up);
    enter("LabeledEdit7", "45");
    enter("LabeledEdit8", "60");
    for (TForm1 *form : {&stepped, &typed})
        for (int i = 0; i < 30; ++i)
            form->Timer1Timer();
    steps("UpDown7", 50, Down); // across 0
    enter("LabeledEdit7", "355");
    for (TForm1 *form : {&stepped, &typed})
        form->Timer1Timer();
    const TargetSlot &a = stepped.state().Slots[1], &b = typed.state().Slots[1];
    EXPECT_EQ(std::tuple(a.IsTarget, a.FixBearing, a.FixDistance, a.PosX, a.PosY, a.DistancePx),
        std::tuple(b.IsTarget, b.FixBearing, b.FixDistance, b.PosX, b.PosY, b.DistancePx));
    EXPECT_EQ(b.FixBearing, 355);
    EXPECT_EQ(stepped.board().canvas().picture(), typed.board().canvas().picture());
}

// Scripts and journals name the keys they press: a name of no key of the keyboard is that line's
// error, never a stroke the toolkit cannot make; a shortcut key acts as the shortcut.
TEST(ScriptKeys, ANameOfNoKeyIsTheLinesErrorAndAShortcutKeyActs)
{
    ProgramWindows windows;
    for (QTimer *each : windows.form.findChildren<QTimer *>())
        each->stop();
    ScriptRunner runner(windows, [](const QString &) {});
    for (const char *name : {"Foo", "xyz", "F99", "Ж", "Ctrl+", "Ctrl+S,F2"})
        EXPECT_THROW(runner.runLine(QStringLiteral("key ") + QString::fromUtf8(name)), ScriptError)
            << name;
    EXPECT_FALSE(windows.help.isVisible());
    runner.runLine(QStringLiteral("key F1"));
    EXPECT_TRUE(windows.help.isVisible());
}

// Keys on a focused field: Up and Down one step, Page Up and Page Down five, wrapping or stopping
// as the arrows do; typing shows a pending value that Enter applies as one change, Escape drops
// and leaving the field applies; what is no whole number of the range is refused.
TEST_F(ConsoleTest, KeysStepAndTypeIntoAFieldWithArrows)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), WindowWait));
    LabeledEdit *bearing = edit("LabeledEdit7");
    TypedEntry *entry = TypedEntry::of(bearing);
    ASSERT_NE(entry, nullptr);
    QSignalSpy changes(bearing, &QLineEdit::textChanged);
    QSignalSpy refusals(entry, &TypedEntry::refused);
    bearing->setFocus();
    const struct
    {
        const char *keys; // a letter a key: u d p n (up, down, page up, page down), e Enter,
                          // x Escape, t Tab; digits and signs are typed
        const char *shown, *pending;
        int changes, refusals;
    } steps[] = {
        {"d", "359", "", 1, 0}, {"p", "4", "", 2, 0}, {"nn", "354", "", 4, 0},
        {"u", "355", "", 5, 0}, {"12", "355", "12", 5, 0}, // pending: the field keeps its value
        {"0e", "120", "", 6, 0}, // one change for the whole number
        {"45x", "120", "", 6, 0}, // Escape restores
        {"360e", "120", "", 6, 1}, // out of the range
        {"-e", "120", "", 6, 2}, // no number
        {"007e", "7", "", 7, 2}, {"300t", "300", "", 8, 2}, // leaving the field applies
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.keys);
        for (const char *key = s.keys; *key; ++key) {
            QWidget *target = QApplication::focusWidget();
            switch (*key) {
            case 'u':
                QTest::keyClick(target, Qt::Key_Up);
                break;
            case 'd':
                QTest::keyClick(target, Qt::Key_Down);
                break;
            case 'p':
                QTest::keyClick(target, Qt::Key_PageUp);
                break;
            case 'n':
                QTest::keyClick(target, Qt::Key_PageDown);
                break;
            case 'e':
                QTest::keyClick(target, Qt::Key_Return);
                break;
            case 'x':
                QTest::keyClick(target, Qt::Key_Escape);
                break;
            case 't':
                QTest::keyClick(target, Qt::Key_Tab);
                break;
            default:
                QTest::keyClick(target, *key);
                break;
            }
        }
        EXPECT_EQ(bearing->text(), s.shown);
        EXPECT_EQ(entry->pendingText(), s.pending);
        EXPECT_EQ(changes.count(), s.changes);
        EXPECT_EQ(refusals.count(), s.refusals);
    }
    EXPECT_EQ(refusals.at(0).at(0).toString(), "Целое число от 0 до 359");
    EXPECT_EQ(QApplication::focusWidget(), edit("LabeledEdit8")); // Tab went on
    EXPECT_EQ(form->state().Slots[1].FixBearing, 300);
}

// Tab goes through the input fields only, block by block in reading order, and round again.
// A number typed after a click into "Номер п/п" or "Тетта (гр)" replaces the one shown; it is
// never appended to it.
TEST_F(ConsoleTest, ATypedNumberReplacesTheSpinFieldsText)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    for (const char *name : {"SpinEdit2", "SpinEdit1"}) {
        SpinEdit *field = spin(name);
        auto *line = field->findChild<QLineEdit *>();
        QTest::mouseClick(line, Qt::LeftButton, {}, QPoint(line->width() - 3, line->height() / 2));
        QApplication::processEvents();
        QTest::keyClick(line, Qt::Key_2);
        EXPECT_EQ(field->text(), "2") << name;
    }
}

TEST_F(ConsoleTest, TabGoesThroughTheInputFieldsInReadingOrder)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), WindowWait));
    const QStringList order {"SpinEdit2", "LabeledEdit4", "LabeledEdit7", "LabeledEdit8",
        "LabeledEdit9", "LabeledEdit1", "LabeledEdit5", "LabeledEdit6", "LabeledEdit14",
        "LabeledEdit15", "LabeledEdit16", "LabeledEdit17", "LabeledEdit18", "SpinEdit1",
        "SpinEdit3", "SpinEdit2"};
    QStringList visited;
    for (int i = 0; i < order.size(); ++i) {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        // A spin field's text is its inner editor.
        if (qobject_cast<SpinEdit *>(focus->parentWidget()))
            focus = focus->parentWidget();
        visited << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_EQ(visited, order);
}

// Every input and display is read by its caption and hint.
TEST_F(ConsoleTest, ScreenReaderReadsEachFieldByItsCaptionAndHint)
{
    const auto read = [](QWidget *w, QAccessible::Text what) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
        return face ? face->text(what) : QStringLiteral("<none>");
    };
    int fields = 0;
    for (QWidget *w : form->findChildren<QWidget *>()) {
        QLabel *caption = nullptr;
        if (auto *field = qobject_cast<LabeledEdit *>(w))
            caption = field->editLabel();
        else if (auto *spinField = qobject_cast<SpinEdit *>(w))
            caption = spinField->captionLabel();
        if (!caption)
            continue;
        ++fields;
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_EQ(read(w, QAccessible::Name), caption->text().trimmed());
        EXPECT_EQ(read(w, QAccessible::Description), w->toolTip());
    }
    EXPECT_EQ(fields, 39);
    EXPECT_EQ(read(get("Label12"), QAccessible::Name), "Оперативное время");
    EXPECT_EQ(read(get("Label19"), QAccessible::Name), "Судовое время");
    EXPECT_EQ(read(get("Label13"), QAccessible::Name), "СТРЕЛЬБА ЗАПРЕЩЕНА");
}

// No control covers another, whatever is shown at the moment: every pair of controls of the
// window (fields, captions, arrows, buttons, boxes, labels, blocks) is compared, and each lies
// inside its block.
TEST_F(ConsoleTest, NoTwoControlsOverlap)
{
    form->show();
    QWidget *client = qobject_cast<QScrollArea *>(form->centralWidget())->widget();
    QList<QWidget *> controls;
    for (QWidget *w : client->findChildren<QWidget *>()) {
        QWidget *parent = w->parentWidget();
        if (parent == client || qobject_cast<QGroupBox *>(parent))
            controls << w;
    }
    ASSERT_GT(controls.size(), 100);
    const auto onClient
        = [client](QWidget *w) { return QRect(w->mapTo(client, QPoint(0, 0)), w->size()); };
    for (QWidget *w : controls) {
        EXPECT_TRUE(QRect(QPoint(0, 0), client->size()).contains(onClient(w)))
            << w->objectName().toStdString();
        if (QWidget *parent = w->parentWidget(); parent != client) {
            EXPECT_TRUE(parent->rect().contains(w->geometry())) << w->objectName().toStdString();
        }
    }
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            QWidget *a = controls[i], *b = controls[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a))
                continue;
            EXPECT_FALSE(onClient(a).intersects(onClient(b)))
                << a->objectName().toStdString() << " / " << b->objectName().toStdString() << " "
                << qobject_cast<QLabel *>(a) << qobject_cast<QLabel *>(b);
        }
    }
}

// "Замер" beside the bearing and the distance logs the field's value now, also when it has not
// changed; the switches and the spin fields are undone control by control; each is journalled
// once, in the driver's words.
TEST_F(ConsoleTest, FixButtonsSwitchesAndSpinFieldsGoThroughTheDesk)
{
    for (const auto &[field, value] : {std::pair {"LabeledEdit7", "60"}, {"LabeledEdit8", "60"}}) {
        TypedEntry *entry = TypedEntry::of(edit(field));
        ASSERT_NE(entry, nullptr);
        entry->type(QString::fromLatin1(value));
        ASSERT_TRUE(entry->apply());
    }
    const FixLog &log = form->state().FixLogs[0];
    const std::size_t fixes = log.Fixes().size();
    form->Timer1Timer();
    get<QAbstractButton>("ButtonFixBearing")->click();
    get<QAbstractButton>("ButtonFixDistance")->click();
    ASSERT_EQ(log.Fixes().size(), fixes + 2);
    EXPECT_EQ(log.Fixes()[fixes].Kind, FixKind::Bearing);
    EXPECT_EQ(log.Fixes()[fixes + 1].Kind, FixKind::Distance);
    EXPECT_EQ(log.Fixes()[fixes + 1].Tick, form->state().TickCount);
    EXPECT_TRUE(form->journal().text().endsWith("fix LabeledEdit7\nfix LabeledEdit8\n"));

    get<QAbstractButton>("CheckBox1")->click();
    get<QAbstractButton>("RadioButton2")->click();
    spin("SpinEdit1")->stepUp();
    spin("SpinEdit3")->typeText("120");
    EXPECT_TRUE(form->journal().text().endsWith(
        "check CheckBox1 on\nselect RadioButton2\nstep SpinEdit1 up\ntype SpinEdit3 120\n"));
    EXPECT_EQ(form->desk().undoText(), QStringLiteral("Delta ет 120 м цели 1"));
    form->UndoActionClick();
    EXPECT_EQ(spin("SpinEdit3")->value(), 0);
    form->UndoActionClick();
    EXPECT_EQ(spin("SpinEdit1")->value(), 90);
    form->UndoActionClick();
    EXPECT_TRUE(get<QRadioButton>("RadioButton1")->isChecked());
    form->UndoActionClick();
    EXPECT_FALSE(get<QAbstractButton>("CheckBox1")->isChecked());
    EXPECT_EQ(log.Fixes().size(), fixes + 2); // the fixes stay
    EXPECT_TRUE(form->journal().text().endsWith("undo\nundo\nundo\nundo\n"));
}

// The arrows, the keys of a field and "Номер п/п" are the desk's actions: each undoable, a held
// arrow as one, journalled as the driver replays them (the keys' steps were once not journalled
// at all, so a replay lost them).
TEST_F(ConsoleTest, ArrowsKeysAndTheSlotNumberGoThroughTheDesk)
{
    LabeledEdit *bearing = edit("LabeledEdit7");
    bearing->setFocus();
    QTest::keyClick(bearing, Qt::Key_Up);
    QTest::keyClick(bearing, Qt::Key_Up);
    QTest::keyClick(bearing, Qt::Key_PageDown);
    EXPECT_EQ(bearing->text(), "357");
    EXPECT_TRUE(
        form->journal().text().endsWith("step LabeledEdit7 up 2\nstep LabeledEdit7 down 5\n"));
    UpDown *arrows = upDown("UpDown7");
    arrows->press(UpDown::Direction::Up);
    arrows->repeat();
    arrows->repeat();
    arrows->release();
    EXPECT_EQ(bearing->text(), "0");
    EXPECT_TRUE(form->journal().text().endsWith(
        "press LabeledEdit7 up\nrepeat LabeledEdit7 2\nrelease LabeledEdit7\n"));
    spin("SpinEdit2")->stepUp();
    EXPECT_EQ(form->desk().undoText(), QStringLiteral("выбор цели 2"));
    EXPECT_EQ(text("LabeledEdit7"), "0");
    form->UndoActionClick(); // slot 1 shown again
    EXPECT_EQ(spin("SpinEdit2")->value(), 1);
    EXPECT_EQ(text("LabeledEdit4"), "1");
    EXPECT_EQ(text("LabeledEdit7"), "0");
    form->UndoActionClick(); // the held arrow
    EXPECT_EQ(bearing->text(), "357");
    form->UndoActionClick(); // the keys, as one action within the second
    EXPECT_EQ(bearing->text(), "0");
    EXPECT_FALSE(form->desk().undoStack().canUndo());

    // A number typed that addresses no slot is no action to undo; undo shows the slot shown
    // before, whatever the field held in between.
    SpinEdit *slot = spin("SpinEdit2");
    slot->typeText("3");
    slot->typeText("12");
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(slot, &focusOut);
    EXPECT_EQ(slot->value(), 5);
    EXPECT_EQ(form->desk().undoText(), QStringLiteral("выбор цели 5"));
    form->UndoActionClick();
    EXPECT_EQ(slot->value(), 3);
    form->UndoActionClick();
    EXPECT_EQ(slot->value(), 1);
    EXPECT_FALSE(form->desk().undoStack().canUndo());
}

// No key works two actions of the window, its menus or docks: Qt fires neither of a pair bound to
// the same key (F6 once stood for both "Замер пеленга" and "Пауза").
TEST(Shortcuts, NoTwoActionsOfTheMainWindowShareAKey)
{
    ProgramWindows windows; // with the rooms that add menus and docks to the main window
    QSet<QAction *> actions;
    for (QAction *action : windows.form.findChildren<QAction *>())
        actions.insert(action);
    for (QWidget *widget : windows.form.findChildren<QWidget *>())
        for (QAction *action : widget->actions())
            actions.insert(action);
    QList<QAction *> menus = windows.form.menuBar()->actions();
    while (!menus.isEmpty()) {
        QAction *action = menus.takeFirst();
        actions.insert(action);
        if (action->menu())
            menus += action->menu()->actions();
    }
    QMap<QString, QString> owner; // key -> the action's text
    for (QAction *action : std::as_const(actions)) {
        if (action->shortcutContext() == Qt::WidgetShortcut)
            continue; // the key of one widget, with its focus only
        for (const QKeySequence &key : action->shortcuts()) {
            const QString name = key.toString(QKeySequence::PortableText);
            EXPECT_FALSE(owner.contains(name))
                << name.toStdString() << ": " << owner.value(name).toStdString() << " / "
                << action->text().toStdString();
            owner.insert(name, action->text());
        }
    }
    EXPECT_GE(owner.size(), 10);
    EXPECT_EQ(owner.value("F6"), QStringLiteral("Замер пеленга"));
    EXPECT_EQ(owner.value("F7"), QStringLiteral("&Пауза"));
}

// Closing asks "Сохранить рисунок?" only while the board has changed since it was last saved or
// opened; Cancel keeps the window, No closes, Yes saves first.
TEST_F(ConsoleTest, ClosingAsksToSaveASessionChangedSinceItWasSaved)
{
    QStringList questions;
    UnsavedChanges::Answer answer = UnsavedChanges::Answer::Cancel;
    form->askToSave = [&](const QString &question) {
        questions << question;
        return answer;
    };
    form->show();
    form->Timer1Timer(); // no target: the board stays as it opened
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(questions.isEmpty());

    form->show();
    upDown("UpDown3")->click(Up); // a target, whose relative track the tick draws
    form->Timer1Timer();
    EXPECT_FALSE(form->close());
    EXPECT_EQ(questions, QStringList {"Сохранить изменения?"});
    EXPECT_TRUE(form->isVisible());

    QTemporaryDir dir;
    answer = UnsavedChanges::Answer::Save;
    fileAnswer = dir.filePath("last.vsession");
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(QFile::exists(fileAnswer));

    form->show();
    for (int tick = 0; tick < 20; ++tick) // ticks alone: a resumed session goes on alike
        form->Timer1Timer();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(questions.size(), 2);
}

// The file dialogs start in the folder used last, also after the program was started again.
TEST_F(ConsoleTest, FileDialogsStartInTheFolderUsedLast)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("maps");
    fileAnswer = dir.filePath("maps/board.bmp");
    get<QAction>("MSave")->trigger();
    fileAnswer.clear();
    get<QAction>("MOpen")->trigger();
    TForm1 again;
    again.askFileName = [this](const TForm1::FileRequest &request) {
        fileRequests.push_back(request);
        return QString();
    };
    again.findChild<QAction *>("MOpen")->trigger();
    ASSERT_EQ(fileRequests.size(), 3u);
    EXPECT_EQ(fileRequests[0].folder, QDir::homePath());
    EXPECT_EQ(fileRequests[1].folder, dir.filePath("maps"));
    EXPECT_EQ(fileRequests[2].folder, dir.filePath("maps"));
    QSettings(QStringLiteral("Varmet"), QStringLiteral("varmet")).clear();
}

} // namespace
