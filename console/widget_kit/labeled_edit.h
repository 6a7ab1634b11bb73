#pragma once

// A single-line field with its caption above it and a settable background. Its change
// notification is QLineEdit::textChanged: it fires only when the text really changes, also when
// the program writes the text, and runs at once, nested inside the writer.

#include <QColor>
#include <QLineEdit>

class QLabel;

namespace varmet {

class LabeledEdit : public QLineEdit
{
    Q_OBJECT
public:
    LabeledEdit(const QString &caption, QWidget *parent);

    QLabel *editLabel() const { return m_caption; }

    // The colour of the field's inside, in every state of the field.
    void setBackground(const QColor &colour);
    QColor background() const;

private:
    QLabel *m_caption;
};

} // namespace varmet
