#pragma once

// The main window's fields: the desk's typed store, the same as without a window, with the
// window's widgets as its views. A value the program writes (the tick's displays, a slot shown,
// an undo) is kept here and shown in its widget at once; what the operator does to a widget
// comes back here and runs the entry the change calls for, once, as the change happens.

#include "desk/desk_fields.h"

#include <array>
#include <functional>
#include <optional>

class QWidget;

namespace varmet {

class FaultGuard;

class WindowFields : public DeskFields
{
public:
    // How the window runs a handler (it refreshes the board after it).
    using Handle = std::function<void(const std::function<void()> &handler)>;

    // `window` holds a widget for every Control, showing the values to start with. An entry
    // runs through `handle`; a write that runs one goes through `guard`, so that a fault in the
    // entry stops the writer too.
    WindowFields(QWidget *window, FaultGuard &guard, Handle handle);

    // Takes every value from the widgets, running nothing: after the window has put many of them
    // back at once without their notifications (a restart, a session opened).
    void takeFromWidgets();

    // The control of that object name, if any.
    static std::optional<Control> controlNamed(const QString &name);

    void setText(Control control, const QString &text) override;
    void setChecked(Control control, bool checked) override;
    void setSpinValue(Control control, int value) override;
    void setBackground(Control control, QRgb colour) override;
    void setVisible(Control control, bool visible) override;
    QString localTimeText() const override;
    void reportFault(const QString &message) override;

protected:
    void runEntry(Control control) override;

private:
    QWidget *widget(Control control) const;
    void take(Control control);
    // The widget's own change, not one shown from here: its value comes into the store.
    void taken(QWidget *sender, Control control, bool runsEntry);

    std::array<QWidget *, ControlCount> m_widgets {};
    FaultGuard &m_guard;
    Handle m_handle;
    QWidget *m_showing = nullptr; // the widget being shown a value kept here
};

} // namespace varmet
