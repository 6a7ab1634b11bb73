#pragma once

// The tick cycle's view of the main window: every control it reads or writes, found by its
// object name among the window's widgets.

#include "cycle/console_port.h"

#include <array>

class QWidget;

namespace varmet {

class FaultGuard;

class FormPort : public ConsolePort
{
public:
    // `window` holds every control of Control; writes go through `guard` so that a change
    // handler's fault stops the writer too.
    FormPort(QWidget *window, FaultGuard &guard);

    QString text(Control control) const override;
    void setText(Control control, const QString &text) override;
    int spinValue(Control control) const override;
    bool isChecked(Control control) const override;
    void setChecked(Control control, bool checked) override;
    void setSpinValue(Control control, int value) override;
    QRgb background(Control control) const override;
    void setBackground(Control control, QRgb colour) override;
    void setVisible(Control control, bool visible) override;
    QString localTimeText() const override;
    void reportFault(const QString &message) override;

private:
    QWidget *widget(Control control) const;

    std::array<QWidget *, ControlCount> m_widgets {};
    FaultGuard &m_guard;
};

} // namespace varmet
