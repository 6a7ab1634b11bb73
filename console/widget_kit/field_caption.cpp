#include "field_caption.h"

#include <QEvent>

namespace varmet {

FieldCaption::FieldCaption(const QString &text, QWidget *field)
    : QLabel(text, field->parentWidget())
    , m_field(field)
{
    setMargin(0);
    field->installEventFilter(this);
    follow();
}

bool FieldCaption::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::FontChange:
            follow();
            break;
        case QEvent::Show:
            show();
            break;
        case QEvent::Hide:
            hide();
            break;
        default:
            break;
        }
    }
    return QLabel::eventFilter(watched, event);
}

void FieldCaption::follow()
{
    setFont(m_field->font());
    adjustSize();
    move(m_field->x(), m_field->y() - Spacing - height());
}

} // namespace varmet
