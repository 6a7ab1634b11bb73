#pragma once

// The pixels of one board line, computed by the board itself rather than by a painter so that
// drawing a stroke and drawing it again touch exactly the same pixels, each of them once.
//
// A width-1 line is the Bresenham line from its start point (included) to its end point
// (excluded); a line of zero length has no pixels. A wider line is the union of w x w squares
// (offsets -w/2 .. -w/2 + w - 1) stamped at each of those pixels. Only pixels inside the bounds
// are visited. A segment whose end points lie very far away is first clipped to the bounds
// (widened by a margin), so no call ever walks more than a few thousand pixels.

#include "model/figures.h"

#include <QRect>
#include <QSize>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace varmet {

class LineRaster
{
public:
    // Calls visit(x, y) once for every pixel of the line inside `bounds` and returns the
    // rectangle that holds them (empty when there are none).
    template<class Visit>
    QRect forEachPixel(const Stroke &stroke, QSize bounds, Visit &&visit);

private:
    struct Segment
    {
        PixelPoint from;
        PixelPoint to;
    };
    // The part of the segment that can reach the bounds; nothing when it cannot.
    static std::optional<Segment> reachable(const Stroke &stroke, QSize bounds);

    // Minor coordinate of each Bresenham pixel, in drawing order; kept to avoid reallocation.
    std::vector<std::int64_t> m_minor;
};

template<class Visit>
QRect LineRaster::forEachPixel(const Stroke &stroke, QSize bounds, Visit &&visit)
{
    const std::optional<Segment> segment = reachable(stroke, bounds);
    if (!segment)
        return {};

    const std::int64_t dx = segment->to.x - segment->from.x;
    const std::int64_t dy = segment->to.y - segment->from.y;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    // Work in (major, minor) coordinates; swap back when visiting.
    const std::int64_t major0 = xMajor ? segment->from.x : segment->from.y;
    const std::int64_t minor0 = xMajor ? segment->from.y : segment->from.x;
    const std::int64_t dMajor = xMajor ? dx : dy;
    const std::int64_t dMinor = xMajor ? dy : dx;
    const std::int64_t majorStep = dMajor < 0 ? -1 : 1;
    const std::int64_t minorStep = dMinor < 0 ? -1 : 1;
    const std::int64_t count = dMajor < 0 ? -dMajor : dMajor; // end point excluded
    const std::int64_t absMinor = dMinor < 0 ? -dMinor : dMinor;

    const int width = std::max(stroke.width, 1);
    const auto bresenham = [&](auto &&plot) {
        std::int64_t error = 2 * absMinor - count;
        std::int64_t minor = minor0;
        std::int64_t major = major0;
        for (std::int64_t i = 0; i < count; ++i) {
            plot(i, major, minor);
            if (error > 0) {
                minor += minorStep;
                error -= 2 * count;
            }
            error += 2 * absMinor;
            major += majorStep;
        }
    };

    if (width == 1) { // the common thin line, straight from the Bresenham walk
        const auto majorLimit
            = static_cast<std::uint64_t>(xMajor ? bounds.width() : bounds.height());
        const auto minorLimit
            = static_cast<std::uint64_t>(xMajor ? bounds.height() : bounds.width());
        // Both coordinates move monotonically: the first and the last pixel inside span the box.
        std::optional<QPoint> first;
        QPoint last;
        bresenham([&](std::int64_t, std::int64_t major, std::int64_t minor) {
            if (static_cast<std::uint64_t>(major) >= majorLimit
                || static_cast<std::uint64_t>(minor) >= minorLimit)
                return;
            const QPoint pixel = xMajor ? QPoint(static_cast<int>(major), static_cast<int>(minor))
                                        : QPoint(static_cast<int>(minor), static_cast<int>(major));
            visit(pixel.x(), pixel.y());
            if (!first)
                first = pixel;
            last = pixel;
        });
        if (!first)
            return {};
        return QRect(QPoint(std::min(first->x(), last.x()), std::min(first->y(), last.y())),
            QPoint(std::max(first->x(), last.x()), std::max(first->y(), last.y())));
    }

    m_minor.resize(static_cast<std::size_t>(count));
    bresenham([&](std::int64_t i, std::int64_t, std::int64_t minor) {
        m_minor[static_cast<std::size_t>(i)] = minor;
    });

    const std::int64_t low = -(width / 2);
    const std::int64_t high = low + width - 1;
    const std::int64_t majorLimit = xMajor ? bounds.width() : bounds.height();
    const std::int64_t minorLimit = xMajor ? bounds.height() : bounds.width();

    // Along the major axis each Bresenham pixel has its own coordinate and the minor coordinate
    // moves monotonically, so the squares cover one contiguous minor range per major coordinate:
    // from the first to the last square whose column (or row) reaches it.
    const std::int64_t majorEnd = major0 + majorStep * (count - 1);
    const std::int64_t majorFirst = std::max<std::int64_t>(std::min(major0, majorEnd) + low, 0);
    const std::int64_t majorLast
        = std::min<std::int64_t>(std::max(major0, majorEnd) + high, majorLimit - 1);
    std::int64_t touchedMajor[2] = {majorLimit, -1};
    std::int64_t touchedMinor[2] = {minorLimit, -1};
    for (std::int64_t m = majorFirst; m <= majorLast; ++m) {
        // Indices i with major0 + majorStep * i in [m - high, m - low].
        std::int64_t first = majorStep > 0 ? m - high - major0 : major0 - m + low;
        std::int64_t last = majorStep > 0 ? m - low - major0 : major0 - m + high;
        first = std::max<std::int64_t>(first, 0);
        last = std::min<std::int64_t>(last, count - 1);
        if (first > last)
            continue;
        const std::int64_t a = m_minor[static_cast<std::size_t>(first)];
        const std::int64_t b = m_minor[static_cast<std::size_t>(last)];
        const std::int64_t minorFirst = std::max<std::int64_t>(std::min(a, b) + low, 0);
        const std::int64_t minorLast
            = std::min<std::int64_t>(std::max(a, b) + high, minorLimit - 1);
        if (minorFirst > minorLast)
            continue;
        for (std::int64_t n = minorFirst; n <= minorLast; ++n) {
            if (xMajor)
                visit(static_cast<int>(m), static_cast<int>(n));
            else
                visit(static_cast<int>(n), static_cast<int>(m));
        }
        touchedMajor[0] = std::min(touchedMajor[0], m);
        touchedMajor[1] = m;
        touchedMinor[0] = std::min(touchedMinor[0], minorFirst);
        touchedMinor[1] = std::max(touchedMinor[1], minorLast);
    }
    if (touchedMajor[1] < 0)
        return {};
    const QPoint corner0 {static_cast<int>(touchedMajor[0]), static_cast<int>(touchedMinor[0])};
    const QPoint corner1 {static_cast<int>(touchedMajor[1]), static_cast<int>(touchedMinor[1])};
    return xMajor ? QRect(corner0, corner1) : QRect(corner0.transposed(), corner1.transposed());
}

} // namespace varmet
