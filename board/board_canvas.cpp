#include "board_canvas.h"

#include "model/units.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace varmet {

namespace {

constexpr QRgb RgbBits = 0x00ffffff;
constexpr QRgb OpaqueBits = 0xff000000;

// NOT(p XOR c) is p XOR (NOT c): the bits a not-xor stroke of colour c flips.
QRgb notXorFlip(QRgb colour)
{
    return ~colour & RgbBits;
}

QFont defaultFont()
{
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    // The board is a raster of plain colours: no grey edge pixels around its texts.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QRgb *pixels(QImage &image)
{
    return reinterpret_cast<QRgb *>(image.bits());
}

std::size_t stride(const QImage &image)
{
    return static_cast<std::size_t>(image.bytesPerLine()) / sizeof(QRgb);
}

} // namespace

BoardCanvas::BoardCanvas()
    : m_permanent(BoardSize, BoardSize, QImage::Format_RGB32)
    , m_mask(static_cast<std::size_t>(BoardSize) * BoardSize, 0)
{
    m_permanent.fill(BoardColour::White);
    m_visible = m_permanent.copy();
    m_changed = bounds();
    resetState();
}

void BoardCanvas::resetState()
{
    m_penColour = BoardColour::Black;
    m_penWidth = 1;
    m_penMode = PenMode::CopyPen;
    m_brushColour = BoardColour::White;
    m_brushStyle = BrushStyle::Solid;
    m_font = defaultFont();
    m_position = {};
}

void BoardCanvas::replacePicture(const QImage &picture)
{
    if (picture.isNull())
        return;
    const QRect previous = bounds();
    QImage next = picture.convertToFormat(QImage::Format_RGB32);
    if (next.size() != size()) {
        // The live strokes keep their place from the top-left corner.
        const auto newWidth = static_cast<std::size_t>(next.width());
        const auto oldWidth = static_cast<std::size_t>(size().width());
        std::vector<QRgb> mask(newWidth * static_cast<std::size_t>(next.height()), 0);
        const std::size_t rows = static_cast<std::size_t>(std::min(next.height(), size().height()));
        const std::size_t columns = std::min(newWidth, oldWidth);
        for (std::size_t y = 0; y < rows; ++y)
            std::memcpy(&mask[y * newWidth], &m_mask[y * oldWidth], columns * sizeof(QRgb));
        m_mask = std::move(mask);
        m_visible = QImage(next.size(), QImage::Format_RGB32);
    }
    m_permanent = std::move(next);
    recompose(bounds());
    m_changed |= previous;
    resetState();
}

CanvasState BoardCanvas::state() const
{
    return {m_penColour, m_penWidth, m_penMode, m_brushColour, m_brushStyle, m_position};
}

void BoardCanvas::restore(const QImage &picture, const CanvasState &state)
{
    const QRect previous = bounds();
    m_permanent = picture.convertToFormat(QImage::Format_RGB32);
    m_mask.assign(static_cast<std::size_t>(m_permanent.width()) * m_permanent.height(), 0);
    m_visible = m_permanent.copy();
    m_changed = previous | bounds();
    resetState();
    setState(state);
}

void BoardCanvas::setState(const CanvasState &state)
{
    m_penColour = state.penColour;
    m_penWidth = state.penWidth;
    m_penMode = state.penMode;
    m_brushColour = state.brushColour;
    m_brushStyle = state.brushStyle;
    m_position = state.position;
}

QRgb BoardCanvas::permanentPixel(int x, int y) const
{
    const auto *row = reinterpret_cast<const QRgb *>(m_permanent.constScanLine(y));
    return row[x];
}

void BoardCanvas::setPermanentPixel(int x, int y, QRgb colour)
{
    const auto ux = static_cast<std::size_t>(x);
    const auto uy = static_cast<std::size_t>(y);
    colour |= OpaqueBits;
    pixels(m_permanent)[uy * stride(m_permanent) + ux] = colour;
    pixels(m_visible)[uy * stride(m_visible) + ux]
        = colour ^ m_mask[uy * static_cast<std::size_t>(size().width()) + ux];
    m_changed |= QRect(x, y, 1, 1);
}

void BoardCanvas::paintPixels(const std::vector<QPoint> &points, QRgb colour)
{
    colour |= OpaqueBits;
    QRgb *permanent = pixels(m_permanent);
    QRgb *visible = pixels(m_visible);
    const std::size_t permanentStride = stride(m_permanent);
    const std::size_t visibleStride = stride(m_visible);
    const auto maskStride = static_cast<std::size_t>(size().width());
    QRect area;
    for (const QPoint &point : points) {
        const auto x = static_cast<std::size_t>(point.x());
        const auto y = static_cast<std::size_t>(point.y());
        permanent[y * permanentStride + x] = colour;
        visible[y * visibleStride + x] = colour ^ m_mask[y * maskStride + x];
        area |= QRect(point, QSize(1, 1));
    }
    m_changed |= area;
}

void BoardCanvas::setBrushColor(QRgb colour)
{
    m_brushColour = colour;
    m_brushStyle = BrushStyle::Solid;
}

void BoardCanvas::moveTo(std::int64_t x, std::int64_t y)
{
    m_position = {x, y};
}

void BoardCanvas::lineTo(std::int64_t x, std::int64_t y)
{
    const Stroke stroke {m_position, {x, y}, m_penWidth};
    m_position = {x, y};
    if (m_penMode == PenMode::NotXorPen) {
        xorStroke(stroke, notXorFlip(m_penColour));
        return;
    }
    QRgb *permanent = pixels(m_permanent);
    QRgb *visible = pixels(m_visible);
    const std::size_t permanentStride = stride(m_permanent);
    const std::size_t visibleStride = stride(m_visible);
    const std::size_t maskStride = static_cast<std::size_t>(size().width());
    const QRgb colour = m_penColour | OpaqueBits;
    m_changed |= m_raster.forEachPixel(stroke, size(), [&](int px, int py) {
        const auto x = static_cast<std::size_t>(px);
        const auto y = static_cast<std::size_t>(py);
        permanent[y * permanentStride + x] = colour;
        visible[y * visibleStride + x] = colour ^ m_mask[y * maskStride + x];
    });
}

void BoardCanvas::invertStroke(const Stroke &stroke, QRgb colour)
{
    xorStroke(stroke, notXorFlip(colour));
}

void BoardCanvas::xorStroke(const Stroke &stroke, QRgb xorValue)
{
    if (xorValue == 0) // a white pen changes nothing
        return;
    QRgb *visible = pixels(m_visible);
    QRgb *mask = m_mask.data();
    const std::size_t visibleStride = stride(m_visible);
    const std::size_t maskStride = static_cast<std::size_t>(size().width());
    m_changed |= m_raster.forEachPixel(stroke, size(), [&](int px, int py) {
        const auto x = static_cast<std::size_t>(px);
        const auto y = static_cast<std::size_t>(py);
        mask[y * maskStride + x] ^= xorValue;
        visible[y * visibleStride + x] ^= xorValue;
    });
}

void BoardCanvas::ellipse(int x1, int y1, int x2, int y2)
{
    // The rectangle's corners are the ellipse's extreme points: (25, 25)-(625, 625) is the
    // circle of radius 300 around (325, 325), with pixels at columns 25 and 625 on row 325.
    const QRect box(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
    {
        QPainter painter(&m_permanent);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor::fromRgb(m_penColour), m_penWidth));
        if (m_brushStyle == BrushStyle::Solid)
            painter.setBrush(QColor::fromRgb(m_brushColour));
        else
            painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(box);
    }
    const int reach = m_penWidth + 1;
    recompose(box.adjusted(-reach, -reach, reach + 1, reach + 1));
}

void BoardCanvas::textOut(int x, int y, const QString &text)
{
    QRect area;
    {
        QPainter painter(&m_permanent);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(m_font);
        const QFontMetrics metrics = painter.fontMetrics();
        const QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
        if (m_brushStyle == BrushStyle::Solid)
            painter.fillRect(box, QColor::fromRgb(m_brushColour));
        painter.setPen(QColor::fromRgb(BoardColour::Black));
        const QPoint baseline(x, y + metrics.ascent());
        painter.drawText(baseline, text);
        // Glyphs may overhang their advance box a little.
        area = box.united(metrics.boundingRect(text).translated(baseline)).adjusted(-2, -2, 2, 2);
    }
    recompose(area);
}

QRect BoardCanvas::textArea(int x, int y, const QString &text) const
{
    // The metrics of the picture painted on, as textOut's painter has them.
    const QFontMetrics metrics(m_font, &m_permanent);
    const QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
    const QPoint baseline(x, y + metrics.ascent());
    return box.united(metrics.boundingRect(text).translated(baseline)).adjusted(-4, -4, 4, 4);
}

void BoardCanvas::fillRect(int left, int top, int right, int bottom)
{
    if (m_brushStyle == BrushStyle::Clear || right <= left || bottom <= top)
        return;
    const QRect area
        = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(bounds());
    if (area.isEmpty())
        return;
    QRgb *permanent = pixels(m_permanent);
    const std::size_t permanentStride = stride(m_permanent);
    const QRgb colour = m_brushColour | OpaqueBits;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb *row = permanent + static_cast<std::size_t>(y) * permanentStride;
        std::fill(row + area.left(), row + area.right() + 1, colour);
    }
    recompose(area);
}

void BoardCanvas::drawFocusRect(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    QRgb *visible = pixels(m_visible);
    const std::size_t visibleStride = stride(m_visible);
    const std::size_t maskStride = static_cast<std::size_t>(size().width());
    const QRect board = bounds();
    // A dotted outline: every other pixel, by the parity of x + y, each of them once.
    const auto flip = [&](int x, int y) {
        if (((x + y) & 1) != 0 || !board.contains(x, y))
            return;
        const auto ux = static_cast<std::size_t>(x);
        const auto uy = static_cast<std::size_t>(y);
        m_mask[uy * maskStride + ux] ^= RgbBits;
        visible[uy * visibleStride + ux] ^= RgbBits;
    };
    const int lastColumn = right - 1;
    const int lastRow = bottom - 1;
    for (int x = left; x <= lastColumn; ++x) {
        flip(x, top);
        if (lastRow != top)
            flip(x, lastRow);
    }
    for (int y = top + 1; y < lastRow; ++y) {
        flip(left, y);
        if (lastColumn != left)
            flip(lastColumn, y);
    }
    m_changed |= QRect(QPoint(left, top), QPoint(lastColumn, lastRow)).intersected(board);
}

void BoardCanvas::recompose(const QRect &area)
{
    const QRect clipped = area.intersected(bounds());
    if (clipped.isEmpty())
        return;
    const QRgb *permanent = reinterpret_cast<const QRgb *>(m_permanent.constBits());
    QRgb *visible = pixels(m_visible);
    const std::size_t permanentStride = stride(m_permanent);
    const std::size_t visibleStride = stride(m_visible);
    const std::size_t maskStride = static_cast<std::size_t>(size().width());
    for (int py = clipped.top(); py <= clipped.bottom(); ++py) {
        const auto y = static_cast<std::size_t>(py);
        for (int px = clipped.left(); px <= clipped.right(); ++px) {
            const auto x = static_cast<std::size_t>(px);
            visible[y * visibleStride + x]
                = permanent[y * permanentStride + x] ^ m_mask[y * maskStride + x];
        }
    }
    m_changed |= clipped;
}

QRect BoardCanvas::takeChangedArea()
{
    return std::exchange(m_changed, QRect());
}

} // namespace varmet
