#pragma once

// Typing into a field with arrows. The operator types a whole number over the field, a pending
// value shown in the field's place; Enter, or leaving the field, applies it as one change of the
// field's text, exactly as the arrows would have stepped there in one jump; Escape restores the
// value shown. A text that is not a whole number of the field's range is refused: the field
// stays as it was and a tooltip names the range. Up and Down step once, Page Up and Page Down
// five steps, wrapping or stopping as the arrows do. The field's own text is therefore always a
// whole number the arrows could have written.

#include <QObject>
#include <QString>

#include <functional>

class QLineEdit;

namespace varmet {

class LabeledEdit;
class UpDown;

class TypedEntry : public QObject
{
    Q_OBJECT
public:
    // For the field that `arrows` step; a child of the field, it lives as long as the field.
    explicit TypedEntry(UpDown *arrows);

    // The typed entry of a field, if it has one.
    static TypedEntry *of(const QLineEdit *field);

    // The operator's typing in steps: the pending text becomes `text`; apply() is Enter, true
    // when the value was taken; cancel() is Escape.
    void type(const QString &text);
    bool apply();
    void cancel();
    bool isPending() const;
    QString pendingText() const;
    // "Целое число от MIN до MAX".
    QString rangeHint() const;
    // Where a confirmed value goes: by default it becomes the field's text; a plot that takes
    // every confirmed report as an action of its own sets this instead.
    std::function<void(int value)> enter;

    // The keys' steps: `steps` single increments at once.
    void stepBy(int steps);

signals:
    // A typed text was refused; `hint` is the tooltip shown.
    void refused(const QString &hint);
    // A typed value was taken as the field's entry: a confirmed value, not one stepped through.
    void applied();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open();
    void close();
    bool fieldKey(QEvent *event);
    bool editorKey(QEvent *event);

    UpDown *m_arrows;
    LabeledEdit *m_field;
    QLineEdit *m_editor;
    bool m_closing = false;
};

} // namespace varmet
