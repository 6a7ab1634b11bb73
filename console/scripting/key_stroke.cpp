#include "key_stroke.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace varmet {
namespace {

bool IsNamedKey(int key)
{
    return key >= Qt::Key_Escape && key < Qt::Key_unknown;
}

bool IsLatinKey(int key)
{
    return key > 0x20 && key < 0x7f; // Space is a named key ("Space")
}

// The text a key types, as the keyboard gives it with the event.
QString TextOf(QKeyCombination key)
{
    const Qt::KeyboardModifiers modifiers = key.keyboardModifiers();
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Escape:
        return QStringLiteral("\x1b");
    case Qt::Key_Space:
        return QStringLiteral(" ");
    default:
        break;
    }
    if (!IsLatinKey(key.key()))
        return {};
    const QChar letter(key.key());
    return modifiers & Qt::ShiftModifier ? QString(letter) : QString(letter.toLower());
}

// The window's action whose shortcut `key` is, as long as it may act.
QAction *ShortcutAction(QWidget &window, QKeyCombination key)
{
    const QKeySequence sequence(key);
    for (QAction *action : window.findChildren<QAction *>()) {
        const Qt::ShortcutContext context = action->shortcutContext();
        const bool windowWide = context == Qt::WindowShortcut || context == Qt::ApplicationShortcut;
        if (windowWide && action->isEnabled() && action->isVisible()
            && action->shortcuts().contains(sequence))
            return action;
    }
    return nullptr;
}

} // namespace

std::optional<QKeyCombination> KeyNamed(const QString &name)
{
    const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return std::nullopt;
    const QKeyCombination key = sequence[0];
    if (!IsNamedKey(key.key()) && !IsLatinKey(key.key()) && key.key() != Qt::Key_Space)
        return std::nullopt;
    return key;
}

void StrokeKey(QWidget &control, QKeyCombination key)
{
    const QString text = TextOf(key);
    // A control may claim a key that is also a shortcut (Ctrl+Z in a text field).
    QKeyEvent claim(QEvent::ShortcutOverride, key.key(), key.keyboardModifiers(), text);
    claim.ignore();
    QApplication::sendEvent(&control, &claim);
    if (!claim.isAccepted()) {
        if (QAction *action = ShortcutAction(*control.window(), key)) {
            action->trigger();
            return;
        }
    }
    QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
    QApplication::sendEvent(&control, &press);
    QKeyEvent release(QEvent::KeyRelease, key.key(), key.keyboardModifiers(), text);
    QApplication::sendEvent(&control, &release);
}

} // namespace varmet
