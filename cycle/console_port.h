#pragma once

// What the tick cycle and the operator's entries need of the console: the texts, values and
// ticks of the controls they read, and the texts, colours and visibility of those they write.
// The desk keeps them as plain values (the window's widgets only show them); tests of the cycle
// implement it with a plain fake.

#include <QRgb>
#include <QString>

#include <cstddef>

namespace varmet {

// The controls the cycle touches, by the console's object names.
enum class Control {
    // inputs
    LabeledEdit1, // "Vц (узл)"
    LabeledEdit5, // "К пл"
    LabeledEdit6, // "V пл (узл)"
    LabeledEdit7, // "П акустический"
    LabeledEdit8, // "Д до цели (кбт)" (also written by the bearing entry)
    LabeledEdit9, // "Кц"
    LabeledEdit14, // "Vт (узл)"
    LabeledEdit15, // "Е (м)"
    LabeledEdit16, // "КС (м)"
    LabeledEdit18, // "Delta Fi (Fi)"
    SpinEdit1, // "Тетта (гр)"
    SpinEdit2, // "Номер п/п"
    SpinEdit3, // "Delta ет (м)"
    CheckBox1, // "Отображение", angular solution
    CheckBox2, // "Отображение", linear solution
    RadioButton1, // "Вкл. движение цели"
    // displays
    Label12, // operational time
    Label19, // ship's time
    Label13, // "СТРЕЛЬБА ЗАПРЕЩЕНА"
    Edit1, // "П автоматный"
    LabeledEdit2,
    LabeledEdit3,
    LabeledEdit11,
    LabeledEdit20,
    LabeledEdit21,
    LabeledEdit22,
    LabeledEdit23,
    LabeledEdit24,
    LabeledEdit25,
    LabeledEdit26,
    LabeledEdit27,
    LabeledEdit28,
    LabeledEdit29,
    LabeledEdit30,
    LabeledEdit31,
    LabeledEdit32,
    LabeledEdit33,
    LabeledEdit34,
    LabeledEdit35,
    Count // no control: it counts those before it
};
inline constexpr std::size_t ControlCount = static_cast<std::size_t>(Control::Count);

// The object name of a control ("LabeledEdit7", ...).
const char *objectName(Control control);

class ConsolePort
{
public:
    virtual ~ConsolePort() = default;

    virtual QString text(Control control) const = 0;
    // Writes the text. When it differs from the text shown, the control's change handler (if it
    // has one) runs at once, before this returns; a fault that stopped it is thrown from here, so
    // that the writer stops too.
    virtual void setText(Control control, const QString &text) = 0;
    // A spin field's whole value: the integer in its text as typed (possibly outside its range),
    // or its minimum when the text is not a whole number. Only for SpinEdit1..3; any other control
    // is a fault of the caller.
    virtual int spinValue(Control control) const = 0;
    virtual bool isChecked(Control control) const = 0;
    // The operator's switches and spin fields set by an action or its undo: CheckBox1/2, and
    // RadioButton1 (off: its partner "Выкл. движение цели" on); SpinEdit1 and SpinEdit3. Nothing
    // runs on such a change: the tick reads them.
    virtual void setChecked(Control control, bool checked) = 0;
    virtual void setSpinValue(Control control, int value) = 0;
    virtual QRgb background(Control control) const = 0;
    virtual void setBackground(Control control, QRgb colour) = 0;
    virtual void setVisible(Control control, bool visible) = 0;
    // The local time of day as hours, minutes and seconds.
    virtual QString localTimeText() const = 0;
    // Shows the operator a fault that stopped a handler (a stop icon and OK). May run a nested
    // event loop. Inside a write it is held for the writer instead, and shown once.
    virtual void reportFault(const QString &message) = 0;
};

} // namespace varmet
