#include "typed_entry.h"

#include "labeled_edit.h"
#include "up_down.h"

#include "model/number_text.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>

namespace varmet {

namespace {

// Page Up and Page Down step as far as a held arrow in fast mode.
constexpr int PageSteps = 5;

// The steps a stepping key makes, or 0 for any other key.
int KeySteps(int key)
{
    switch (key) {
    case Qt::Key_Up:
        return 1;
    case Qt::Key_Down:
        return -1;
    case Qt::Key_PageUp:
        return PageSteps;
    case Qt::Key_PageDown:
        return -PageSteps;
    default:
        return 0;
    }
}

} // namespace

TypedEntry::TypedEntry(UpDown *arrows)
    : QObject(arrows->associate())
    , m_arrows(arrows)
    , m_field(arrows->associate())
    , m_editor(new QLineEdit(m_field))
{
    setObjectName(QStringLiteral("TypedEntry"));
    m_editor->setObjectName(QStringLiteral("qt_typed_entry"));
    m_editor->hide();
    m_editor->installEventFilter(this);
    m_field->installEventFilter(this);
    // A value written while the operator types (an arrow, the slot selection) makes the pending
    // text stale.
    connect(m_field, &QLineEdit::textChanged, this, [this] {
        if (!m_closing && isPending())
            cancel();
    });
}

TypedEntry *TypedEntry::of(const QLineEdit *field)
{
    return field->findChild<TypedEntry *>(QStringLiteral("TypedEntry"), Qt::FindDirectChildrenOnly);
}

bool TypedEntry::isPending() const
{
    return !m_editor->isHidden();
}

QString TypedEntry::pendingText() const
{
    return isPending() ? m_editor->text() : QString();
}

QString TypedEntry::rangeHint() const
{
    return QStringLiteral("Целое число от %1 до %2")
        .arg(m_arrows->minimum())
        .arg(m_arrows->maximum());
}

void TypedEntry::type(const QString &text)
{
    open();
    m_editor->setText(text);
}

bool TypedEntry::apply()
{
    if (!isPending())
        return true;
    const auto value = ParseWhole(m_editor->text().trimmed().toStdString());
    const bool inRange = value && *value >= m_arrows->minimum() && *value <= m_arrows->maximum();
    close();
    if (!inRange) {
        const QString hint = rangeHint();
        QToolTip::showText(m_field->mapToGlobal(QPoint(0, m_field->height())), hint, m_field);
        emit refused(hint);
        return false;
    }
    // The text form the arrows write; one change of the text, one entry.
    if (enter)
        enter(static_cast<int>(*value));
    else
        m_field->setText(QString::number(*value));
    emit applied();
    return true;
}

void TypedEntry::cancel()
{
    close();
}

void TypedEntry::stepBy(int steps)
{
    m_arrows->stepBy(steps);
}

void TypedEntry::open()
{
    if (isPending())
        return;
    m_editor->setGeometry(m_field->rect());
    m_editor->setPalette(m_field->palette());
    m_editor->setAlignment(m_field->alignment());
    m_editor->setText(m_field->text());
    m_editor->selectAll();
    m_editor->show();
    if (m_field->hasFocus())
        m_editor->setFocus(Qt::OtherFocusReason);
}

void TypedEntry::close()
{
    if (!isPending())
        return;
    m_closing = true;
    // The field takes the focus back before the editor goes, so that it does not wander off.
    if (m_editor->hasFocus())
        m_field->setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    m_closing = false;
}

bool TypedEntry::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress)
        return fieldKey(event);
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress)
            return editorKey(event);
        if (event->type() == QEvent::FocusOut && !m_closing) {
            // Leaving the field applies; a window or menu taking the focus for a while does not.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                apply();
        }
    }
    return QObject::eventFilter(watched, event);
}

bool TypedEntry::fieldKey(QEvent *event)
{
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (const int steps = KeySteps(key->key())) {
        stepBy(steps);
        return true;
    }
    const bool typing = (!key->text().isEmpty() && key->text().at(0).isPrint())
        || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete;
    if (!typing)
        return false;
    open();
    m_editor->setFocus(Qt::OtherFocusReason);
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
    QApplication::sendEvent(m_editor, &copy);
    return true;
}

bool TypedEntry::editorKey(QEvent *event)
{
    auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        apply();
        return true;
    case Qt::Key_Escape:
        cancel();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        // Applied, then on to the next field from the field itself.
        apply();
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
        QApplication::sendEvent(m_field, &copy);
        return true;
    }
    default:
        break;
    }
    if (const int steps = KeySteps(key->key())) {
        if (apply())
            stepBy(steps);
        return true;
    }
    return false;
}

} // namespace varmet
