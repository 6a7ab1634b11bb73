#include "labeled_edit.h"

#include "field_caption.h"

namespace varmet {

LabeledEdit::LabeledEdit(const QString &caption, QWidget *parent)
    : QLineEdit(parent)
    , m_caption(new FieldCaption(caption, this))
{
    setBackground(Qt::white);
}

void LabeledEdit::setBackground(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

QColor LabeledEdit::background() const
{
    return palette().color(QPalette::Base);
}

} // namespace varmet
