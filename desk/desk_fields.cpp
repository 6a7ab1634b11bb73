#include "desk_fields.h"

#include "desk.h"

#include <stdexcept>
#include <utility>

namespace varmet {

DeskFields::DeskFields()
{
    for (Control c :
        {Control::LabeledEdit5, Control::LabeledEdit6, Control::LabeledEdit7, Control::LabeledEdit8,
            Control::LabeledEdit9, Control::LabeledEdit16, Control::LabeledEdit18})
        m_texts[c] = QStringLiteral("0");
    m_texts[Control::LabeledEdit1] = QStringLiteral("20");
    m_texts[Control::LabeledEdit14] = QStringLiteral("45");
    m_texts[Control::LabeledEdit15] = QStringLiteral("19000");
    m_spins = {{Control::SpinEdit1, 90}, {Control::SpinEdit2, 1}, {Control::SpinEdit3, 0}};
    m_checks
        = {{Control::CheckBox1, false}, {Control::CheckBox2, true}, {Control::RadioButton1, true}};
    m_colours[Control::Label13] = 0xffff0000;
}

QString DeskFields::text(Control control) const
{
    const auto it = m_texts.find(control);
    return it == m_texts.end() ? QString() : it->second;
}

bool DeskFields::keepText(Control control, const QString &text)
{
    QString &shown = m_texts[control];
    if (shown == text)
        return false;
    shown = text;
    return true;
}

void DeskFields::setText(Control control, const QString &text)
{
    if (!keepText(control, text))
        return;
    ++m_writeDepth;
    runEntry(control);
    --m_writeDepth;
    if (!m_heldFault.isEmpty())
        throw std::runtime_error(std::exchange(m_heldFault, QString()).toStdString());
}

void DeskFields::runEntry(Control control)
{
    if (!m_desk || m_desk->restoring())
        return;
    TickCycle &cycle = m_desk->cycle();
    switch (control) {
    case Control::LabeledEdit7:
        cycle.LabeledEdit7Change();
        break;
    case Control::LabeledEdit8:
        cycle.LabeledEdit8Change();
        break;
    case Control::LabeledEdit5:
    case Control::LabeledEdit6:
        cycle.RedrawOwnShipVector();
        break;
    default:
        break;
    }
}

int DeskFields::spinValue(Control control) const
{
    const auto it = m_spins.find(control);
    if (it == m_spins.end())
        throw std::logic_error("not a spin field");
    return it->second;
}

bool DeskFields::isChecked(Control control) const
{
    const auto it = m_checks.find(control);
    return it != m_checks.end() && it->second;
}

QRgb DeskFields::background(Control control) const
{
    const auto it = m_colours.find(control);
    return it == m_colours.end() ? 0xffffffff : it->second;
}

void DeskFields::setBackground(Control control, QRgb colour)
{
    m_colours[control] = colour;
}

void DeskFields::setVisible(Control control, bool visible)
{
    m_visible[control] = visible;
}

bool DeskFields::isVisible(Control control) const
{
    const auto it = m_visible.find(control);
    return it != m_visible.end() && it->second;
}

QString DeskFields::localTimeText() const
{
    return QStringLiteral("00:00:00");
}

void DeskFields::reportFault(const QString &message)
{
    if (m_writeDepth == 0)
        m_faults.push_back(message);
    else if (m_heldFault.isEmpty())
        m_heldFault = message; // the writer stops too
}

void DeskFields::setSpinValue(Control control, int value)
{
    m_spins[control] = value;
}

void DeskFields::setChecked(Control control, bool checked)
{
    m_checks[control] = checked;
}

} // namespace varmet
