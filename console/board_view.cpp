#include "board_view.h"

#include "model/units.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace varmet {

namespace {

struct ScaleLabel
{
    const char *name;
    const char *text;
    QPoint at; // board point of the text's top-left corner
};

// Bearings at the four edges, ring distances in cables right of the centre.
constexpr ScaleLabel ScaleLabels[] = {
    {"Label4", "0", {328, 10}},
    {"Label5", "180", {328, 635}},
    {"Label8", "90", {628, 327}},
    {"Label6", "270", {1, 327}},
    {"Label1", "50", {428, 310}},
    {"Label2", "100", {528, 310}},
    {"Label3", "150", {628, 310}},
};

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
        label->move(mark.at);
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
