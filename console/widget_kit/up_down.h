#pragma once

// A pair of arrow buttons bound to a field: each press steps the field's whole value by the
// increment and the step repeats while the button is held. Values are written in plain decimal
// digits. A wrapping range continues at the other end, modulo its length (357 + 5 in 0..359
// gives 2); otherwise a step stops at the end, and a step at the end changes nothing.

#include <QWidget>

#include <functional>
#include <optional>

class QToolButton;

namespace varmet {

class LabeledEdit;

class UpDown : public QWidget
{
    Q_OBJECT
public:
    enum class Direction { Up = 1, Down = -1 };

    // Stands at the right edge of `associate`, as tall as it.
    UpDown(LabeledEdit *associate, int minimum, int maximum, int increment, bool wraps);

    LabeledEdit *associate() const { return m_associate; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    bool wraps() const { return m_wraps; }
    int increment() const { return m_increment; }
    void setIncrement(int increment) { m_increment = increment; }
    QToolButton *button(Direction direction) const;

    // The value `steps` increments on from `value` under the range rule.
    int stepped(int value, int steps) const;
    // Steps the field by `steps` single increments at once, as the keys do: whatever the hold
    // has made of the increment, and without press or release notifications.
    void stepBy(int steps);

    // The operations of the mouse, for a driver as for the buttons themselves: a press runs the
    // press notification and the first step; each repeat of the held arrow steps once more; the
    // release runs the release notification.
    void press(Direction direction);
    void repeat();
    void release();
    void click(Direction direction);
    bool isHeld() const { return m_held.has_value(); }
    std::optional<Direction> heldDirection() const { return m_held; }
    // A session puts back an arrow that was held when it was saved, without any notification.
    void restoreHeld(std::optional<Direction> direction) { m_held = direction; }

    enum class Operation { Press, Repeat, Release };

    // Where a step goes: by default the field's text becomes `value`; a plot that takes every
    // step as an action of its own sets this instead. `steps`: signed single steps; the
    // operation is that of the arrows, none for the keys' steps.
    std::function<void(std::optional<Operation> operation, int steps, int value)> stepTo;

signals:
    void pressed();
    void released();
    // Every press, repeat and release of an arrow, before its step or notification: the
    // operator's journal follows the arrows through it.
    void operated(UpDown::Operation operation, UpDown::Direction direction);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *makeButton(Direction direction);
    int currentValue() const;
    int steppedBy(int value, int steps, int increment) const;
    void step(Direction direction, Operation operation);
    void write(std::optional<Operation> operation, int steps, int value);

    LabeledEdit *m_associate;
    int m_minimum;
    int m_maximum;
    int m_increment;
    int m_singleIncrement;
    bool m_wraps;
    std::optional<Direction> m_held;
    QToolButton *m_up;
    QToolButton *m_down;
};

} // namespace varmet
