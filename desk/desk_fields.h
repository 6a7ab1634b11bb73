#pragma once

// The console's fields as plain values, with or without a window (the window's widgets show them):
// the texts, spin values, ticks, colours and visibility the cycle reads and writes, starting as
// the window starts. A text that changes runs its entry at once, as typing into the field would.

#include "cycle/console_port.h"

#include <map>
#include <vector>

namespace varmet {

class Desk;

class DeskFields : public ConsolePort
{
public:
    DeskFields();
    // The desk whose entries run on a change; none: nothing runs.
    void attach(Desk *desk) { m_desk = desk; }

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

    bool isVisible(Control control) const;

    // The faults reported to the operator, in order.
    const std::vector<QString> &faults() const { return m_faults; }

protected:
    // Keep a value as it is, running nothing: a window's fields keep what its widgets show.
    // keepText says whether the text changed.
    bool keepText(Control control, const QString &text);
    void keepSpinValue(Control control, int value) { m_spins[control] = value; }
    void keepChecked(Control control, bool checked) { m_checks[control] = checked; }
    void keepBackground(Control control, QRgb colour) { m_colours[control] = colour; }
    void keepVisible(Control control, bool visible) { m_visible[control] = visible; }

    // Runs the entry of a control whose text changed (none for most controls).
    virtual void runEntry(Control control);

private:
    Desk *m_desk = nullptr;
    std::map<Control, QString> m_texts;
    std::map<Control, int> m_spins;
    std::map<Control, bool> m_checks;
    std::map<Control, QRgb> m_colours;
    std::map<Control, bool> m_visible;
    std::vector<QString> m_faults;
    int m_writeDepth = 0;
    QString m_heldFault;
};

} // namespace varmet
