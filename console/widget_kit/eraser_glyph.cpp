#include "eraser_glyph.h"

#include <QPainter>
#include <QPixmap>

namespace varmet {

namespace {

QPixmap DrawEraser(bool active)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (active) {
        // the wiped trail behind the eraser
        painter.setPen(QPen(QColor(0, 0, 255), 2, Qt::DotLine));
        painter.drawLine(QPointF(1, 14.5), QPointF(8, 14.5));
    }
    // the eraser body seen slanted: a light half and a coloured half
    const QPolygonF body({{4, 11}, {10, 3}, {15, 6}, {9, 14}});
    const QPolygonF tip({{4, 11}, {7, 7}, {12, 10}, {9, 14}});
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(active ? QColor(255, 80, 80) : QColor(230, 120, 160));
    painter.drawPolygon(body);
    painter.setBrush(Qt::white);
    painter.drawPolygon(tip);
    return pixmap;
}

} // namespace

QIcon EraserGlyph()
{
    QIcon icon;
    icon.addPixmap(DrawEraser(false), QIcon::Normal, QIcon::Off);
    icon.addPixmap(DrawEraser(true), QIcon::Normal, QIcon::On);
    return icon;
}

} // namespace varmet
