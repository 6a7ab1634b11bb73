#include "spin_edit.h"

#include <QTimer>

#include "field_caption.h"

#include "model/number_text.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>

#include <algorithm>
#include <limits>
#include <utility>

namespace varmet {

namespace {
// The integer in a text, or `fallback` when it holds no whole number.
int WholeOr(const QString &text, int fallback)
{
    const auto whole = ParseWhole(text.toStdString());
    if (!whole)
        return fallback;
    return static_cast<int>(std::clamp<std::int64_t>(
        *whole, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
} // namespace

SpinEdit::SpinEdit(
    const QString &caption, int minimum, int maximum, int step, int value, QWidget *parent)
    : QSpinBox(parent)
    , m_caption(new FieldCaption(caption, this))
{
    setLocale(QLocale::c());
    setWrapping(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setRange(minimum, maximum);
    setSingleStep(step);
    setValue(value);
    m_shownText = text();
    // The spin box rewrites its editor with the editor's signals blocked and reports a new value
    // only when the value changes, so neither signal alone sees every change of the text.
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::notifyIfTextChanged);
    connect(this, &QSpinBox::textChanged, this, &SpinEdit::notifyIfTextChanged);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        const QScopedValueRollback editing(m_operatorEditing, true);
        // The text shown before the keystroke, whether or not the field has noted the new one.
        const QString before = text() == m_shownText ? m_previousText : m_shownText;
        emit operatorTyped(text());
        notifyIfTextChanged();
        emit operatorChanged(WholeOr(before, this->minimum()), 0, text());
    });
}

int SpinEdit::typedValue() const
{
    return WholeOr(text(), minimum());
}

void SpinEdit::typeText(const QString &text)
{
    lineEdit()->selectAll();
    if (text.isEmpty())
        lineEdit()->del();
    else
        lineEdit()->insert(text);
}

QValidator::State SpinEdit::validate(QString &text, int &pos) const
{
    const QValidator::State state = QSpinBox::validate(text, pos);
    if (state == QValidator::Acceptable || !m_acceptsOutOfRange)
        return state;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == u"-" || trimmed == u"+"
        || ParseWhole(trimmed.toStdString()))
        return QValidator::Intermediate;
    return state;
}

void SpinEdit::fixup(QString &input) const
{
    // Run when the field loses focus with a text that is not a value of the range: a number
    // goes to the nearer end of the range, anything else to the minimum.
    input = QString::number(std::clamp(WholeOr(input, minimum()), minimum(), maximum()));
}

void SpinEdit::stepBy(int steps)
{
    const QScopedValueRollback editing(m_operatorEditing, true);
    const int before = typedValue();
    emit operatorStepped(steps);
    QSpinBox::stepBy(steps);
    notifyIfTextChanged();
    emit operatorChanged(before, steps, {});
}

void SpinEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier
        && (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown)) {
        stepBy(event->key() == Qt::Key_PageUp ? 5 : -5);
        event->accept();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

void SpinEdit::focusInEvent(QFocusEvent *event)
{
    QSpinBox::focusInEvent(event);
    // A number typed replaces the one shown, also after a click into the field.
    QTimer::singleShot(0, this, &QAbstractSpinBox::selectAll);
}

void SpinEdit::focusOutEvent(QFocusEvent *event)
{
    const QScopedValueRollback editing(m_operatorEditing, true);
    const QString typed = text();
    QSpinBox::focusOutEvent(event);
    if (text() != typed)
        emit operatorTyped(text());
    notifyIfTextChanged();
    if (text() != typed)
        emit operatorChanged(WholeOr(typed, minimum()), 0, text());
}

void SpinEdit::notifyIfTextChanged()
{
    if (text() == m_shownText)
        return;
    m_previousText = std::exchange(m_shownText, text());
    emit fieldTextChanged();
}

} // namespace varmet
