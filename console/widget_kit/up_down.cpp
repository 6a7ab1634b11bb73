#include "up_down.h"

#include "labeled_edit.h"

#include "model/number_text.h"

#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace varmet {

namespace {
constexpr int ButtonWidth = 17;
}

UpDown::UpDown(LabeledEdit *associate, int minimum, int maximum, int increment, bool wraps)
    : QWidget(associate->parentWidget())
    , m_associate(associate)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_increment(increment)
    , m_singleIncrement(increment)
    , m_wraps(wraps)
    , m_up(makeButton(Direction::Up))
    , m_down(makeButton(Direction::Down))
{
    const QRect field = associate->geometry();
    setGeometry(field.right() + 1, field.top(), ButtonWidth, field.height());
    const int upHeight = field.height() / 2;
    m_up->setGeometry(0, 0, ButtonWidth, upHeight);
    m_down->setGeometry(0, upHeight, ButtonWidth, field.height() - upHeight);
}

QToolButton *UpDown::button(Direction direction) const
{
    return direction == Direction::Up ? m_up : m_down;
}

QToolButton *UpDown::makeButton(Direction direction)
{
    auto *button = new QToolButton(this);
    button->setArrowType(direction == Direction::Up ? Qt::UpArrow : Qt::DownArrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->installEventFilter(this);
    // Every auto-repeat emits released() and pressed() with the button still down; only a
    // released() with the button up is the operator letting go.
    connect(button, &QToolButton::pressed, this, [this, direction] {
        if (m_held)
            repeat();
        else
            press(direction);
    });
    connect(button, &QToolButton::released, this, [this, button] {
        if (!button->isDown() && m_held)
            release();
    });
    return button;
}

bool UpDown::eventFilter(QObject *watched, QEvent *event)
{
    // Any mouse button counts as a press for the notifications; only the left one steps.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton && !m_held) {
            if (event->type() == QEvent::MouseButtonPress)
                emit pressed();
            else
                emit released();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int UpDown::stepped(int value, int steps) const
{
    return steppedBy(value, steps, m_increment);
}

void UpDown::stepBy(int steps)
{
    write(std::nullopt, steps, steppedBy(currentValue(), steps, m_singleIncrement));
}

void UpDown::write(std::optional<Operation> operation, int steps, int value)
{
    if (stepTo)
        stepTo(operation, steps, value);
    else
        m_associate->setText(QString::number(value));
}

int UpDown::steppedBy(int value, int steps, int increment) const
{
    const long long next
        = static_cast<long long>(value) + static_cast<long long>(steps) * increment;
    if (!m_wraps)
        return static_cast<int>(std::clamp<long long>(next, m_minimum, m_maximum));
    const long long span = static_cast<long long>(m_maximum) - m_minimum + 1;
    const long long offset = ((next - m_minimum) % span + span) % span;
    return static_cast<int>(m_minimum + offset);
}

int UpDown::currentValue() const
{
    // The field normally holds a whole number; anything else counts as the nearest one, and text
    // that is no number at all as the minimum. A value outside the range (slot selection writes
    // "0" into "Номер цели" for a slot never used) is brought into it by the step itself, so
    // the first step up from 0 gives 1.
    const std::string text = m_associate->text().toStdString();
    long double value = m_minimum;
    if (const auto whole = ParseWhole(text))
        value = static_cast<long double>(*whole);
    else if (const auto real = ParseReal(text); real && std::isfinite(*real))
        value = std::nearbyint(*real);
    constexpr long double reach = 1'000'000'000.0L;
    return static_cast<int>(std::clamp<long double>(value, -reach, reach));
}

void UpDown::step(Direction direction, Operation operation)
{
    const int steps = static_cast<int>(direction);
    write(operation, steps, stepped(currentValue(), steps));
}

void UpDown::press(Direction direction)
{
    m_held = direction;
    emit operated(Operation::Press, direction);
    emit pressed();
    step(direction, Operation::Press);
}

void UpDown::repeat()
{
    if (!m_held)
        return;
    emit operated(Operation::Repeat, *m_held);
    step(*m_held, Operation::Repeat);
}

void UpDown::release()
{
    if (m_held)
        emit operated(Operation::Release, *m_held);
    m_held.reset();
    emit released();
}

void UpDown::click(Direction direction)
{
    press(direction);
    release();
}

} // namespace varmet
