#include "window_fields.h"

#include "control_look.h"
#include "fault_guard.h"
#include "labeled_edit.h"
#include "spin_edit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTime>

#include <algorithm>

namespace varmet {

WindowFields::WindowFields(QWidget *window, FaultGuard &guard, Handle handle)
    : m_guard(guard)
    , m_handle(std::move(handle))
{
    for (std::size_t i = 0; i < ControlCount; ++i) {
        const auto control = static_cast<Control>(i);
        const char *name = objectName(control);
        QWidget *w = window->findChild<QWidget *>(QString::fromLatin1(name));
        Q_ASSERT_X(w, "WindowFields", name);
        m_widgets[i] = w;
        // A text field runs its entry on every change of its text, as it did when it held it.
        if (auto *spin = qobject_cast<SpinEdit *>(w))
            QObject::connect(spin, &SpinEdit::fieldTextChanged, window,
                [this, spin, control] { taken(spin, control, false); });
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            QObject::connect(edit, &QLineEdit::textChanged, window,
                [this, edit, control] { taken(edit, control, true); });
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            QObject::connect(button, &QAbstractButton::toggled, window,
                [this, button, control] { taken(button, control, false); });
    }
    takeFromWidgets();
}

std::optional<Control> WindowFields::controlNamed(const QString &name)
{
    for (std::size_t i = 0; i < ControlCount; ++i) {
        if (name == QLatin1String(objectName(static_cast<Control>(i))))
            return static_cast<Control>(i);
    }
    return std::nullopt;
}

QWidget *WindowFields::widget(Control control) const
{
    return m_widgets[static_cast<std::size_t>(control)];
}

void WindowFields::take(Control control)
{
    QWidget *w = widget(control);
    keepText(control, shownText(w));
    if (auto *spin = qobject_cast<SpinEdit *>(w))
        keepSpinValue(control, spin->typedValue());
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        keepChecked(control, button->isChecked());
    keepBackground(control, shownBackground(w));
    keepVisible(control, w->isVisibleTo(w->window()));
}

void WindowFields::takeFromWidgets()
{
    for (std::size_t i = 0; i < ControlCount; ++i)
        take(static_cast<Control>(i));
}

void WindowFields::taken(QWidget *sender, Control control, bool runsEntry)
{
    if (sender == m_showing)
        return;
    take(control);
    if (runsEntry)
        runEntry(control);
}

void WindowFields::runEntry(Control control)
{
    m_handle([this, control] { DeskFields::runEntry(control); });
}

void WindowFields::setText(Control control, const QString &text)
{
    if (!keepText(control, text))
        return;
    QWidget *w = widget(control);
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        m_guard.write([this, edit, control, &text] {
            {
                const QScopedValueRollback<QWidget *> showing(m_showing, edit);
                edit->setText(text);
            }
            keepText(control, edit->text());
            runEntry(control);
        });
    } else if (auto *label = qobject_cast<QLabel *>(w)) {
        label->setText(text);
    }
}

void WindowFields::setChecked(Control control, bool checked)
{
    auto *button = qobject_cast<QAbstractButton *>(widget(control));
    if (!button || isChecked(control) == checked)
        return;
    keepChecked(control, checked);
    const QScopedValueRollback<QWidget *> showing(m_showing, button);
    // A radio button goes off by checking its partner in the same box.
    if (!checked && button->autoExclusive()) {
        for (auto *other : button->parentWidget()->findChildren<QAbstractButton *>()) {
            if (other != button && other->autoExclusive()) {
                other->setChecked(true);
                return;
            }
        }
    }
    button->setChecked(checked);
}

void WindowFields::setSpinValue(Control control, int value)
{
    auto *spin = qobject_cast<SpinEdit *>(widget(control));
    if (!spin || spinValue(control) == value)
        return;
    // What the spin field will show: its range holds it.
    keepSpinValue(control, std::clamp(value, spin->minimum(), spin->maximum()));
    {
        const QScopedValueRollback<QWidget *> showing(m_showing, spin);
        spin->setValue(value);
    }
    take(control);
}

void WindowFields::setBackground(Control control, QRgb colour)
{
    keepBackground(control, colour);
    QWidget *w = widget(control);
    // The tick sets the colours every second; a palette change costs a repaint and a relayout.
    if (shownBackground(w) == colour)
        return;
    if (auto *edit = qobject_cast<LabeledEdit *>(w)) {
        edit->setBackground(QColor::fromRgb(colour));
        return;
    }
    QPalette p = w->palette();
    p.setColor(w->backgroundRole(), QColor::fromRgb(colour));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void WindowFields::setVisible(Control control, bool visible)
{
    keepVisible(control, visible);
    QWidget *w = widget(control);
    if (w->isVisibleTo(w->window()) != visible)
        w->setVisible(visible);
}

QString WindowFields::localTimeText() const
{
    return QTime::currentTime().toString(QStringLiteral("H:mm:ss"));
}

void WindowFields::reportFault(const QString &message)
{
    m_guard.report(message);
}

} // namespace varmet
