#pragma once

// A plain stand-in for the console: controls as values, with the change notifications the
// cycle relies on (a handler runs only when a text really changes, at once and nested).

#include "cycle/console_port.h"
#include "cycle/tick_cycle.h"

#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

namespace varmet::testing {

class FakeConsole : public ConsolePort
{
public:
    FakeConsole()
    {
        // The controls as the window opens.
        for (Control c : {Control::LabeledEdit5, Control::LabeledEdit6, Control::LabeledEdit7,
                 Control::LabeledEdit8, Control::LabeledEdit9, Control::LabeledEdit16,
                 Control::LabeledEdit18})
            texts[c] = "0";
        texts[Control::LabeledEdit1] = "20";
        texts[Control::LabeledEdit14] = "45";
        texts[Control::LabeledEdit15] = "19000";
        spins[Control::SpinEdit1] = 90;
        spins[Control::SpinEdit2] = 1;
        spins[Control::SpinEdit3] = 0;
        checks[Control::CheckBox1] = false;
        checks[Control::CheckBox2] = true;
        checks[Control::RadioButton1] = true;
        colours[Control::Label13] = 0xffff0000;
        visible[Control::Label13] = false;
    }

    QString text(Control control) const override
    {
        const auto it = texts.find(control);
        return it == texts.end() ? QString() : it->second;
    }

    // The program's write: a fault of the handler it runs is held and thrown to the writer.
    void setText(Control control, const QString &text) override
    {
        ++writeDepth;
        type(control, text);
        --writeDepth;
        if (!pending.isEmpty())
            throw std::runtime_error(std::exchange(pending, QString()).toStdString());
    }

    // The operator's typing: the change handler runs outside any write.
    void type(Control control, const QString &text)
    {
        QString &shown = texts[control];
        if (shown == text)
            return;
        shown = text;
        if (cycle)
            runChangeHandler(control);
    }

    void runChangeHandler(Control control)
    {
        switch (control) {
        case Control::LabeledEdit7:
            ++bearingEntries;
            cycle->LabeledEdit7Change();
            break;
        case Control::LabeledEdit8:
            ++distanceEntries;
            cycle->LabeledEdit8Change();
            break;
        case Control::LabeledEdit5:
        case Control::LabeledEdit6:
            cycle->RedrawOwnShipVector();
            break;
        default:
            break;
        }
    }

    int spinValue(Control control) const override { return spins.at(control); }
    bool isChecked(Control control) const override { return checks.at(control); }
    void setChecked(Control control, bool checked) override { checks[control] = checked; }
    void setSpinValue(Control control, int value) override { spins[control] = value; }
    QRgb background(Control control) const override
    {
        const auto it = colours.find(control);
        return it == colours.end() ? 0xffffffff : it->second;
    }
    void setBackground(Control control, QRgb colour) override { colours[control] = colour; }
    void setVisible(Control control, bool shown) override { visible[control] = shown; }
    QString localTimeText() const override { return clock; }
    void reportFault(const QString &message) override
    {
        if (writeDepth == 0)
            faults.push_back(message);
        else if (pending.isEmpty())
            pending = message; // the writer stops too
    }

    TickCycle *cycle = nullptr;
    std::map<Control, QString> texts;
    std::map<Control, int> spins;
    std::map<Control, bool> checks;
    std::map<Control, QRgb> colours;
    std::map<Control, bool> visible;
    QString clock = "12:34:56";
    std::vector<QString> faults;
    int bearingEntries = 0;
    int distanceEntries = 0;
    int writeDepth = 0;
    QString pending;
};

} // namespace varmet::testing
