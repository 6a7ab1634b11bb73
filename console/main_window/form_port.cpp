#include "form_port.h"

#include "control_look.h"
#include "fault_guard.h"
#include "labeled_edit.h"
#include "spin_edit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTime>

#include <stdexcept>

namespace varmet {

FormPort::FormPort(QWidget *window, FaultGuard &guard)
    : m_guard(guard)
{
    for (std::size_t i = 0; i < ControlCount; ++i) {
        const char *name = objectName(static_cast<Control>(i));
        m_widgets[i] = window->findChild<QWidget *>(QString::fromLatin1(name));
        Q_ASSERT_X(m_widgets[i], "FormPort", name);
    }
}

QWidget *FormPort::widget(Control control) const
{
    return m_widgets[static_cast<std::size_t>(control)];
}

QString FormPort::text(Control control) const
{
    return shownText(widget(control));
}

void FormPort::setText(Control control, const QString &text)
{
    QWidget *w = widget(control);
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        m_guard.write([edit, &text] { edit->setText(text); });
    else if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
}

int FormPort::spinValue(Control control) const
{
    auto *spin = qobject_cast<SpinEdit *>(widget(control));
    if (!spin)
        throw std::logic_error("spinValue: the control is no spin field");
    return spin->typedValue();
}

bool FormPort::isChecked(Control control) const
{
    auto *button = qobject_cast<QAbstractButton *>(widget(control));
    return button && button->isChecked();
}

void FormPort::setChecked(Control control, bool checked)
{
    auto *button = qobject_cast<QAbstractButton *>(widget(control));
    if (!button || button->isChecked() == checked)
        return;
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

void FormPort::setSpinValue(Control control, int value)
{
    if (auto *spin = qobject_cast<SpinEdit *>(widget(control)); spin && spin->typedValue() != value)
        spin->setValue(value);
}

QRgb FormPort::background(Control control) const
{
    return shownBackground(widget(control));
}

void FormPort::setBackground(Control control, QRgb colour)
{
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

void FormPort::setVisible(Control control, bool visible)
{
    QWidget *w = widget(control);
    if (w->isVisibleTo(w->window()) != visible)
        w->setVisible(visible);
}

QString FormPort::localTimeText() const
{
    return QTime::currentTime().toString(QStringLiteral("H:mm:ss"));
}

void FormPort::reportFault(const QString &message)
{
    m_guard.report(message);
}

} // namespace varmet
