// The main window's sessions and journal: the controls written out and put back, the session and
// journal files with their menu items, the question on closing, and the journal of the operator's
// actions taken where each control's handler runs.

#include "ugredit.h"

#include "board_view.h"
#include "control_look.h"
#include "exercise_desk.h"
#include "labeled_edit.h"
#include "spin_edit.h"
#include "typed_entry.h"
#include "up_down.h"
#include "window_fields.h"

#include "board/board.h"
#include "board/picture_file.h"
#include "cycle/tick_cycle.h"
#include "desk/board_commands.h"
#include "desk/commands.h"
#include "desk/field_words.h"
#include "desk/input_commands.h"
#include "model/number_text.h"
#include "session/input_limits.h"
#include "session/session_file.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

#include <cmath>

namespace varmet {

namespace {

const QString SessionFilter = QStringLiteral("Сеансы (*.vsession);;Все файлы (*)");
const QString JournalFilter = QStringLiteral("Журналы (*.vjournal);;Все файлы (*)");

// Suffixes of the states that are not a control's text.
const QString Colour = QStringLiteral(".color");
const QString Down = QStringLiteral(".down");
const QString Visible = QStringLiteral(".visible");
const QString Step = QStringLiteral(".step");
const QString Held = QStringLiteral(".held");

// The settings of the work beside the plot, by their names in the inputs: "Опасная дистанция",
// the time's speed and its pause (the menu item's mark). A file without them (written before
// they were kept) opens at their start-up values: 5 cables, ×1, running.
const QString DangerLimit = QStringLiteral("DangerLimit");
const QString TimeSpeed = QStringLiteral("TimeSpeed");
const QString TimePaused = QStringLiteral("MPause.down");

// The labels the program writes: the two clocks and the banner.
constexpr const char *ClockLabels[] = {"Label12", "Label19"};

bool IsProgramControl(const QObject *object)
{
    const QString name = object->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

QString ColourText(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour & 0xffffff, 6, 16, QLatin1Char('0'));
}

std::optional<QRgb> ColourOf(const QString &text)
{
    bool ok = false;
    const uint value = text.mid(1).toUInt(&ok, 16);
    if (text.size() != 7 || !text.startsWith(QLatin1Char('#')) || !ok)
        return std::nullopt;
    return 0xff000000u | value;
}

QString DirectionWord(UpDown::Direction direction)
{
    return direction == UpDown::Direction::Up ? QStringLiteral("up") : QStringLiteral("down");
}

} // namespace

// ---- The controls as plain values ------------------------------------------------------------

ControlStates TForm1::captureControls() const
{
    ControlStates controls;
    // The plot's inputs as the desk holds them (the widgets show the same); the window's own
    // fields (the reserve fields) as shown.
    const std::optional<int> slot = m_desk->selectedSlot();
    for (const LabeledEdit *edit : findChildren<LabeledEdit *>()) {
        const QString name = edit->objectName();
        if (const auto control = WindowFields::controlNamed(name)) {
            controls[name] = m_fields->text(*control);
            controls[name + Colour] = ColourText(m_fields->background(*control));
            continue;
        }
        controls[name] = name == QLatin1String("LabeledEdit4") && slot
            ? QString::fromStdString(RealText(m_desk->state().Slots[*slot].TargetNumber))
            : edit->text();
        controls[name + Colour] = ColourText(edit->background().rgb());
    }
    for (const SpinEdit *spin : findChildren<SpinEdit *>()) {
        const auto control = WindowFields::controlNamed(spin->objectName());
        controls[spin->objectName()] = control ? m_fields->text(*control) : spin->text();
    }
    // The window's own controls, not those of a bar over it (a replay's).
    for (const QAbstractButton *button : centralWidget()->findChildren<QAbstractButton *>()) {
        if (!button->isCheckable() || !IsProgramControl(button))
            continue;
        const auto control = WindowFields::controlNamed(button->objectName());
        const bool down = control ? m_fields->isChecked(*control) : button->isChecked();
        controls[button->objectName() + Down] = down ? "1" : "0";
    }
    for (const UpDown *upDown : findChildren<UpDown *>()) {
        controls[upDown->objectName() + Step] = QString::number(upDown->increment());
        const auto held = upDown->heldDirection();
        controls[upDown->objectName() + Held] = held ? DirectionWord(*held) : QString();
    }
    for (const char *name : ClockLabels)
        controls[QLatin1String(name)]
            = m_fields->text(name == ClockLabels[0] ? Control::Label12 : Control::Label19);
    // The analysis window's settings (its standard deviations).
    if (m_analysisWindow) {
        for (const QDoubleSpinBox *box : m_analysisWindow->findChildren<QDoubleSpinBox *>()) {
            if (IsProgramControl(box))
                controls[box->objectName()] = QString::number(box->value(), 'g', 17);
        }
    }
    // The settings of the work beside the plot: the situation's danger limit, the flow of time.
    const WorkSettings &work = m_desk->work();
    controls[DangerLimit]
        = QString::number(work.dangerLimit(), 'g', QLocale::FloatingPointShortest);
    controls[TimeSpeed] = QString::number(work.speed());
    controls[TimePaused] = work.paused() ? "1" : "0";
    const QWidget *banner = findChild<QLabel *>(QStringLiteral("Label13"));
    controls[QStringLiteral("Label13") + Visible] = banner->isVisibleTo(this) ? "1" : "0";
    controls[QStringLiteral("Label13") + Colour] = ColourText(shownBackground(banner));
    return controls;
}

std::optional<QString> TForm1::checkControls(ControlStates &controls, bool newerMinor) const
{
    const auto problem = [](const QString &name, const QString &what) {
        return QStringLiteral("файл повреждён: раздел «inputs», элемент «%1»: %2").arg(name, what);
    };
    const ControlStates expected = captureControls();
    // An input the file lacks (added after it was written) takes its value at start-up.
    for (const auto &[name, value] : expected) {
        if (!controls.contains(name)) {
            const auto atStart = m_startUp.controls.find(name);
            controls[name] = atStart != m_startUp.controls.end() ? atStart->second : value;
        }
    }
    // An input this program does not know is passed over only when a newer minor version of the
    // section added it; otherwise the file is not what it claims to be.
    for (auto it = controls.begin(); it != controls.end();) {
        if (expected.contains(it->first))
            ++it;
        else if (newerMinor)
            it = controls.erase(it);
        else
            return problem(it->first, QStringLiteral("такого элемента в окне нет"));
    }
    for (const auto &[name, value] : controls) {
        if (name.endsWith(Colour) && !ColourOf(value))
            return problem(name, QStringLiteral("ожидался цвет вида #rrggbb"));
        if ((name.endsWith(Down) || name.endsWith(Visible)) && value != "0" && value != "1")
            return problem(name, QStringLiteral("ожидалось 0 или 1"));
        if (name.endsWith(Step) && value != "1" && value != "5"
            && value
                != QString::number(findChild<UpDown *>(name.chopped(Step.size()))->increment()))
            return problem(name, QStringLiteral("недопустимый шаг «%1»").arg(value));
        if (name.endsWith(Held) && !value.isEmpty() && value != "up" && value != "down")
            return problem(name, QStringLiteral("ожидалось up, down или пусто"));
    }
    if (m_analysisWindow) {
        for (const QDoubleSpinBox *box : m_analysisWindow->findChildren<QDoubleSpinBox *>()) {
            if (!IsProgramControl(box))
                continue;
            // "nan" reads as a number, and the box would take it as its maximum.
            if (!FiniteIn(controls.at(box->objectName()), box->minimum(), box->maximum()))
                return problem(box->objectName(),
                    QStringLiteral("значение «%1» вне пределов %2..%3")
                        .arg(controls.at(box->objectName()))
                        .arg(box->minimum())
                        .arg(box->maximum()));
        }
    }
    if (!FiniteIn(
            controls.at(DangerLimit), WorkSettings::MinDangerLimit, WorkSettings::MaxDangerLimit))
        return problem(DangerLimit,
            QStringLiteral("значение «%1» вне пределов %2..%3")
                .arg(controls.at(DangerLimit))
                .arg(WorkSettings::MinDangerLimit)
                .arg(WorkSettings::MaxDangerLimit));
    if (const auto speed = ParseWhole(controls.at(TimeSpeed).toStdString());
        !speed || *speed < 1 || *speed > 10 || !WorkSettings::IsSpeed(static_cast<int>(*speed)))
        return problem(TimeSpeed,
            QStringLiteral("скорость «%1» не из 1, 2, 5, 10").arg(controls.at(TimeSpeed)));
    // The inputs the tick reads as numbers hold numbers of their ranges; a field that slot
    // selection fills may also show 0 below a range starting at 1.
    for (const UpDown *upDown : findChildren<UpDown *>()) {
        const QString name = upDown->associate()->objectName();
        if (!upDown->isEnabled())
            continue;
        const auto value = ParseReal(controls.at(name).toStdString());
        if (!value || !std::isfinite(*value) || *value < std::min(upDown->minimum(), 0)
            || *value > upDown->maximum())
            return problem(name,
                QStringLiteral("значение «%1» вне пределов %2..%3")
                    .arg(controls.at(name))
                    .arg(upDown->minimum())
                    .arg(upDown->maximum()));
    }
    // The fields that only show what the tick computed hold a finite number or the dash of no
    // value, and the clocks their own form (or their text before the first tick): a file must
    // not put "nan" or any text at all before the operator.
    QSet<QString> stepped;
    for (const UpDown *upDown : findChildren<UpDown *>())
        stepped.insert(upDown->associate()->objectName());
    for (const LabeledEdit *edit : findChildren<LabeledEdit *>()) {
        const QString &text = controls.at(edit->objectName());
        if (stepped.contains(edit->objectName()) || text.isEmpty() || text == QStringLiteral("—"))
            continue;
        const auto value = text.size() <= 24 ? ParseReal(text.toStdString()) : std::nullopt;
        if (!value || !std::isfinite(*value))
            return problem(edit->objectName(),
                QStringLiteral("ожидалось число или «—», а не «%1»").arg(text.left(24)));
    }
    static const QRegularExpression clockForms[]
        = {QRegularExpression(QStringLiteral("^\\d{1,9}\\. \\d{1,2} - \\d{1,2}$")),
            QRegularExpression(QStringLiteral("^\\d{1,2}:\\d\\d:\\d\\d$"))};
    for (int i = 0; i < 2; ++i) {
        const QString name = QLatin1String(ClockLabels[i]);
        const QString &text = controls.at(name);
        const auto atStart = m_startUp.controls.find(name);
        if (!clockForms[i].match(text).hasMatch()
            && (atStart == m_startUp.controls.end() || atStart->second != text))
            return problem(name, QStringLiteral("время «%1» не читается").arg(text.left(24)));
    }
    for (const SpinEdit *spin : findChildren<SpinEdit *>()) {
        const QString &text = controls.at(spin->objectName());
        const auto value = ParseWhole(text.toStdString());
        const bool typing = spin == m_spinEdit2; // a number being typed may stand outside 1..5
        if (!typing && (!value || *value < spin->minimum() || *value > spin->maximum()))
            return problem(spin->objectName(),
                QStringLiteral("значение «%1» вне пределов %2..%3")
                    .arg(text)
                    .arg(spin->minimum())
                    .arg(spin->maximum()));
        if (typing && text.size() > 12)
            return problem(spin->objectName(), QStringLiteral("слишком длинный текст"));
    }
    return std::nullopt;
}

// ---- Sessions --------------------------------------------------------------------------------

SessionData TForm1::captureSession() const
{
    return {m_desk->state(), m_desk->cycle().fixRecorder().snapshot(), m_desk->board().record(),
        captureControls(), m_desk->cycle().shipClockMarks(), m_heldStepper, m_holdTicks,
        m_desk->journal().text(), m_exerciseDesk->SavedState()};
}

void TForm1::applySession(const SessionData &session)
{
    m_desk->state() = session.state;
    m_desk->cycle().useShipClockMarks(session.shipClockMarks);
    m_holdTicks = session.holdTicks;
    m_desk->cycle().fixRecorder().restore(session.pendingFixes);
    m_desk->board().restore(session.board);
    // The controls take their texts and states without running any handler: the model already
    // holds what the handlers made of them.
    const ControlStates &c = session.controls;
    for (LabeledEdit *edit : findChildren<LabeledEdit *>()) {
        const QSignalBlocker blocker(edit);
        edit->setText(c.at(edit->objectName()));
        edit->setBackground(QColor::fromRgb(*ColourOf(c.at(edit->objectName() + Colour))));
    }
    for (SpinEdit *spin : findChildren<SpinEdit *>()) {
        const QSignalBlocker blocker(spin);
        spin->typeText(c.at(spin->objectName()));
    }
    for (QAbstractButton *button : centralWidget()->findChildren<QAbstractButton *>()) {
        if (!button->isCheckable() || !IsProgramControl(button))
            continue;
        const QSignalBlocker blocker(button);
        button->setChecked(c.at(button->objectName() + Down) == "1");
    }
    for (UpDown *upDown : findChildren<UpDown *>()) {
        upDown->setIncrement(c.at(upDown->objectName() + Step).toInt());
        const QString held = c.at(upDown->objectName() + Held);
        upDown->restoreHeld(held.isEmpty()
                ? std::nullopt
                : std::optional(held == "up" ? UpDown::Direction::Up : UpDown::Direction::Down));
    }
    // The arrow counts as held only while its button is down (a file may name one let go).
    m_heldStepper = session.heldStepper && m_heldSteppers[*session.heldStepper]->isHeld()
        ? session.heldStepper
        : std::nullopt;
    if (m_analysisWindow) {
        for (QDoubleSpinBox *box : m_analysisWindow->findChildren<QDoubleSpinBox *>()) {
            if (!IsProgramControl(box))
                continue;
            const QSignalBlocker blocker(box);
            box->setValue(c.at(box->objectName()).toDouble());
        }
        // The σ the boxes show are the desk's.
        const auto value = [this](const char *name) {
            return m_analysisWindow->findChild<QDoubleSpinBox *>(QLatin1String(name))->value();
        };
        m_desk->analysis().setSigmas({value("SigmaBearing"), value("SigmaDistance")});
    }
    m_fields->takeFromWidgets(); // they were written without their notifications
    m_desk->work().setDangerLimit(c.at(DangerLimit).toDouble());
    m_desk->work().setSpeed(c.at(TimeSpeed).toInt());
    m_desk->work().setPaused(c.at(TimePaused) == "1");
    m_fields->setText(Control::Label12, c.at(QStringLiteral("Label12")));
    m_fields->setText(Control::Label19, c.at(QStringLiteral("Label19")));
    m_fields->setVisible(Control::Label13, c.at(QStringLiteral("Label13") + Visible) == "1");
    m_fields->setBackground(Control::Label13, *ColourOf(c.at(QStringLiteral("Label13") + Colour)));
    if (session.exercise)
        m_exerciseDesk->Resume(*session.exercise); // the reader has checked that it can go on
    else
        m_exerciseDesk->Clear();
    m_desk->journal().reset(session.journal);
    m_desk->markSaved();
    m_desk->replacePlot();
    if (m_timer1->isActive())
        setTimersLive(true);
    m_image3->setPicture(&m_desk->board().canvas().picture());
    m_image3->refresh(m_desk->board().canvas().takeChangedArea() | m_image3->rect());
    emit slotSelected(); // what the selected slot shows is another's now
}

std::optional<QString> TForm1::saveSession(const QString &path)
{
    return perform(new SaveSession(*m_desk, path,
        [this](const QString &file) { return SaveSessionFile(file, captureSession()); }));
}

std::optional<QString> TForm1::openSession(const QString &path)
{
    return perform(new OpenSession(*m_desk, path, [this](const QString &file) {
        SessionData session;
        if (const auto refusal = OpenSessionFile(file, session))
            return refusal;
        if (const auto problem = checkControls(session.controls, session.inputsOfNewerMinor))
            return std::optional(QStringLiteral("Не удалось открыть сеанс «%1»: %2.")
                                     .arg(QDir::toNativeSeparators(file), *problem));
        applySession(session);
        return std::optional<QString>();
    }));
}

std::optional<QString> TForm1::saveJournal(const QString &path) const
{
    if (const auto reason = WriteFileInPlace(path, m_desk->journal().text().toUtf8()))
        return QStringLiteral("Не удалось сохранить журнал в файл «%1»: %2.")
            .arg(QDir::toNativeSeparators(path), *reason);
    return std::nullopt;
}

void TForm1::resetToStartUp()
{
    applySession(m_startUp);
}

void TForm1::setTimersLive(bool live)
{
    if (!live) {
        m_timer1->stop();
        m_timer2->stop();
        return;
    }
    m_timer1->start();
    // The hold timer runs as at start-up: its ticks count only while an arrow is held, and a
    // release stops it again.
    m_timer2->start();
}

bool TForm1::offerToSave()
{
    if (!hasUnsavedChanges())
        return true;
    switch (askToSave(QStringLiteral("Сохранить изменения?"))) {
    case UnsavedChanges::Answer::Discard:
        return true;
    case UnsavedChanges::Answer::Cancel:
        return false;
    case UnsavedChanges::Answer::Save:
        break;
    }
    MSaveSessionClick();
    return !hasUnsavedChanges();
}

// A save name from the dialog, with `suffix` added to a name given without one; empty: cancelled.
QString TForm1::chooseSaveName(const QString &filter, const QString &name, const QString &suffix)
{
    QString path = chooseFile({FileRequest::Kind::Save, filter, name, suffix, {}});
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += '.' + suffix;
    return path;
}

void TForm1::MSaveSessionClick()
{
    const QString path
        = chooseSaveName(SessionFilter, QStringLiteral("Сеанс"), QStringLiteral("vsession"));
    if (path.isEmpty())
        return;
    if (const auto failure = saveSession(path))
        showMessage(*failure);
}

void TForm1::MOpenSessionClick()
{
    if (!offerToSave())
        return;
    const QString path = chooseFile({FileRequest::Kind::Open, SessionFilter, {}, {}, {}});
    if (path.isEmpty())
        return;
    if (const auto refusal = openSession(path))
        showMessage(*refusal);
}

void TForm1::MSaveJournalClick()
{
    const QString path
        = chooseSaveName(JournalFilter, QStringLiteral("Журнал"), QStringLiteral("vjournal"));
    if (path.isEmpty())
        return;
    if (const auto failure = saveJournal(path))
        showMessage(*failure);
}

void TForm1::MReplayJournalClick()
{
    if (!replayJournal || !offerToSave())
        return;
    const QString path = chooseFile({FileRequest::Kind::Open,
        QStringLiteral("Журналы и сеансы (*.vjournal *.vsession);;Все файлы (*)"), {}, {}, {}});
    if (!path.isEmpty())
        replayJournal(path);
}

// ---- The journal -----------------------------------------------------------------------------

void TForm1::wireJournal()
{
    for (UpDown *upDown : findChildren<UpDown *>()) {
        const QString name = upDown->associate()->objectName();
        // The steps of the plot's fields are the desk's commands, journalled there; their
        // release is no action of its own but ends the held arrow in the journal.
        const bool desk = static_cast<bool>(upDown->stepTo);
        connect(upDown, &UpDown::operated, this,
            [this, name, desk](UpDown::Operation operation, UpDown::Direction direction) {
                if (desk && operation != UpDown::Operation::Release)
                    return;
                switch (operation) {
                case UpDown::Operation::Press:
                    m_desk->journal().action(
                        QStringLiteral("press %1 %2").arg(name, DirectionWord(direction)));
                    break;
                case UpDown::Operation::Repeat:
                    m_desk->journal().repeatable(QStringLiteral("repeat ") + name);
                    break;
                case UpDown::Operation::Release:
                    m_desk->journal().release(name);
                    break;
                }
            });
    }
    // A typed value confirmed in a field with arrows.
    for (LabeledEdit *edit : findChildren<LabeledEdit *>()) {
        // Confirmed values of the plot's fields are journalled by the desk.
        if (TypedEntry *entry = TypedEntry::of(edit); entry && !entry->enter) {
            connect(entry, &TypedEntry::applied, this, [this, edit] {
                m_desk->journal().action(
                    QStringLiteral("enter %1 %2").arg(edit->objectName(), edit->text()));
            });
        }
    }
    for (SpinEdit *spin : findChildren<SpinEdit *>()) {
        const QString name = spin->objectName();
        // "Тетта (гр)" and "Delta ет (м)" are the desk's commands, journalled there.
        if (const std::optional<Control> control = InputControlNamed(name)) {
            connect(spin, &SpinEdit::operatorChanged, this,
                [this, spin, control](int before, int steps, const QString &typed) {
                    perform(steps != 0
                            ? SetSpin::stepped(*m_desk, *control, spin->typedValue(), steps, before)
                            : SetSpin::typed(*m_desk, *control, spin->typedValue(), typed, before));
                });
            continue;
        }
        if (spin == m_spinEdit2) {
            // "Номер п/п": the choice of a slot is the desk's command, which shows it.
            connect(spin, &SpinEdit::operatorChanged, this,
                [this, spin](int before, int steps, const QString &typed) {
                    perform(steps != 0
                            ? SelectSlot::stepped(*m_desk, spin->typedValue(), steps, before)
                            : SelectSlot::typed(*m_desk, spin->typedValue(), typed, before));
                });
            continue;
        }
        connect(spin, &SpinEdit::operatorStepped, this, [this, name](int steps) {
            const QString line = QStringLiteral("step %1 %2").arg(name, steps > 0 ? "up" : "down");
            for (int i = std::abs(steps); i > 0; --i)
                m_desk->journal().repeatable(line);
        });
        connect(spin, &SpinEdit::operatorTyped, this, [this, name](const QString &text) {
            m_desk->journal().action(QStringLiteral("type %1 %2").arg(name, text).trimmed());
        });
    }
    for (QAbstractButton *button : findChildren<QAbstractButton *>()) {
        const QString name = button->objectName();
        if (!IsProgramControl(button) || button->parent()->inherits("varmet::UpDown"))
            continue;
        // "Замер", the grid and the label are desk commands, journalled there.
        if (button->objectName().startsWith(QLatin1String("ButtonFix"))
            || name == QLatin1String("Button1") || name == QLatin1String("Button2"))
            continue;
        // So are the switches: "Отображение" and target motion on or off.
        if (name == QLatin1String("CheckBox1") || name == QLatin1String("CheckBox2")) {
            const Control control
                = name == QLatin1String("CheckBox1") ? Control::CheckBox1 : Control::CheckBox2;
            connect(button, &QAbstractButton::clicked, this, [this, control](bool checked) {
                perform(new SetSwitch(*m_desk, control, checked, !checked));
            });
            continue;
        }
        if (name == QLatin1String("RadioButton1") || name == QLatin1String("RadioButton2")) {
            // A radio button only goes on: what motion was is known before the click.
            connect(button, &QAbstractButton::pressed, this,
                [this] { m_motionBeforeClick = m_fields->isChecked(Control::RadioButton1); });
            const bool on = name == QLatin1String("RadioButton1");
            connect(button, &QAbstractButton::clicked, this, [this, on] {
                perform(new SetSwitch(*m_desk, Control::RadioButton1, on, m_motionBeforeClick));
            });
            continue;
        }
        connect(button, &QAbstractButton::clicked, this, [this, button, name](bool checked) {
            if (qobject_cast<QCheckBox *>(button))
                m_desk->journal().action(
                    QStringLiteral("check %1 %2").arg(name, checked ? "on" : "off"));
            else if (qobject_cast<QRadioButton *>(button))
                m_desk->journal().action(QStringLiteral("select ") + name);
            else
                m_desk->journal().action(QStringLiteral("click ") + name);
        });
    }
}

} // namespace varmet
