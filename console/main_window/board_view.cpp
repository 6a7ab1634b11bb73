#include "board_view.h"

#include "board/scale_labels.h"
#include "model/units.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace varmet {

namespace {

QPoint BoardPixel(const QMouseEvent *event)
{
    const QPointF p = event->position();
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

} // namespace

BoardView::BoardView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName("Image3");
    setFixedSize(BoardSize, BoardSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    for (const ScaleLabel &mark : ScaleLabels) {
        auto *label = new QLabel(QString::fromUtf8(mark.text), this);
        label->setObjectName(mark.name);
        label->setMargin(0);
        label->setAutoFillBackground(true);
        QPalette p = label->palette();
        p.setColor(QPalette::Window, Qt::white);
        label->setPalette(p);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->adjustSize();
        label->move(mark.x, mark.y);
    }
}

void BoardView::setPicture(const QImage *picture)
{
    m_picture = picture;
    update();
}

void BoardView::refresh(const QRect &area)
{
    if (!area.isEmpty())
        update(area);
}

void BoardView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, Qt::white);
    if (m_picture)
        painter.drawImage(area.topLeft(), *m_picture, area);
}

void BoardView::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = BoardPixel(event);
    emit mousePressed(p.x(), p.y(), event->buttons());
}

void BoardView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = BoardPixel(event);
    emit mouseMoved(p.x(), p.y(), event->buttons());
}

void BoardView::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = BoardPixel(event);
    emit mouseReleased(p.x(), p.y(), event->buttons());
}

} // namespace varmet
