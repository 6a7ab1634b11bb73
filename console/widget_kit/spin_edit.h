#pragma once

// A whole-number field with its own arrows and its caption above it. The operator may type into
// it; the arrows step by the single step without wrapping. fieldTextChanged() fires exactly when
// the text shown changes, whatever changed it: typing, an arrow, the program, or the correction
// when the field loses focus.

#include <QSpinBox>

class QLabel;

namespace varmet {

class SpinEdit : public QSpinBox
{
    Q_OBJECT
public:
    SpinEdit(
        const QString &caption, int minimum, int maximum, int step, int value, QWidget *parent);

    QLabel *captionLabel() const { return m_caption; }

    // Whether a whole number outside the range, an empty text or a lone sign may stand in the
    // field while the operator types; the field returns into its range when it loses focus.
    void setAcceptsOutOfRangeTyping(bool accepts) { m_acceptsOutOfRange = accepts; }

    // The integer in the text as typed (even outside the range), or the minimum when the text is
    // not a whole number.
    int typedValue() const;

    // Replaces the text the way typing does: through the validator, with the same notifications.
    void typeText(const QString &text);
    // Whether an operator's change (a step, typing, the correction when the field loses focus)
    // is under way: a change of the text now is the operator's.
    bool operatorEditing() const { return m_operatorEditing; }

signals:
    void fieldTextChanged();
    // The operator's own changes, for the journal: a step of the arrows (or keys) by `steps`
    // single steps, and a text typed (or corrected when the field lost focus).
    void operatorStepped(int steps);
    void operatorTyped(const QString &text);
    // After either: the operator's change is in the field, which held `before` until then.
    void operatorChanged(int before, int steps, const QString &typed);

protected:
    QValidator::State validate(QString &text, int &pos) const override;
    void fixup(QString &input) const override;
    void stepBy(int steps) override;
    // Page Up and Page Down step five times, as a held arrow in fast mode.
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void notifyIfTextChanged();

    QLabel *m_caption;
    bool m_acceptsOutOfRange = false;
    QString m_shownText;
    QString m_previousText; // the text shown before m_shownText
    bool m_operatorEditing = false;
};

} // namespace varmet
