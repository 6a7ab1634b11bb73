#pragma once

// A key as scripts and journals name it ("F2", "Ctrl+S", "Return", "a"), and one stroke of it sent
// to a control as the keyboard gives it: a shortcut of the control's window, unless the control
// claims the key itself, and otherwise a press and a release.

#include <QKeyCombination>
#include <QString>

#include <optional>

class QWidget;

namespace varmet {

// The key `name` names: one key of the Latin keyboard (a letter, digit or sign, or a named key
// such as "F2", "Return", "Up", "Del") with any of Ctrl, Shift, Alt and Meta before it. Nothing for
// a name of no such key ("Foo", "F99", "Ctrl+"), a sequence of several keys or a letter of another
// alphabet.
std::optional<QKeyCombination> KeyNamed(const QString &name);

// Presses and releases `key` on `control` (which may be a whole window).
void StrokeKey(QWidget &control, QKeyCombination key);

} // namespace varmet
