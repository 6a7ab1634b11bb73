#pragma once

// The operator's words for the input fields and the journal: what a field holds ("пеленг"), its
// unit, and a journal line retold as the operator would say it ("00:12:15 цель 2: пеленг 45°").

#include "cycle/console_port.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varmet {

// The control of an input field by its object name, if the cycle reads it.
std::optional<Control> InputControlNamed(const QString &name);
// "пеленг 45° цели 2", "курс ПЛ 30°": the value of a field as an action's name; the slot is named
// for the fields that belong to the selected target, when given.
QString FieldValueWords(Control field, const QString &value, std::optional<int> slot = {});
// Whether a field belongs to the selected target (not to own ship or the torpedoes).
bool IsTargetField(Control field);

// The journal (script language) retold line by line in the operator's words, each with the
// operational time of the action; ticks and held-arrow ticks make no line of their own.
// A switch of the main window in the operator's words ("угловые величины показаны"), from its
// journal line's words ("check", "CheckBox1", "on"); empty for another line.
QString SwitchWords(const QString &verb, const QString &name, const QString &state = {});

QStringList OperatorRecord(const QString &journal);

} // namespace varmet
