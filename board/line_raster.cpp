#include "line_raster.h"

#include <cmath>

namespace varmet {

namespace {

// Beyond these a segment is clipped before it is walked: a longer walk would cost more than
// the board is worth, and the differences of larger coordinates could overflow.
constexpr long double FarExtent = 1 << 16;
constexpr long double FarCoordinate = 1LL << 40;

} // namespace

std::optional<LineRaster::Segment> LineRaster::reachable(const Stroke &stroke, QSize bounds)
{
    if (stroke.from == stroke.to)
        return std::nullopt;

    // The margin keeps a clipped end point (which the line excludes) and the pen's width
    // outside the bounds.
    const long double margin = 8 + std::max(stroke.width, 1);
    const long double xMin = -margin;
    const long double yMin = -margin;
    const long double xMax = bounds.width() - 1 + margin;
    const long double yMax = bounds.height() - 1 + margin;

    const long double x0 = stroke.from.x;
    const long double y0 = stroke.from.y;
    const long double x1 = stroke.to.x;
    const long double y1 = stroke.to.y;
    if (std::max(x0, x1) < xMin || std::min(x0, x1) > xMax || std::max(y0, y1) < yMin
        || std::min(y0, y1) > yMax)
        return std::nullopt;

    const long double dx = x1 - x0;
    const long double dy = y1 - y0;
    const bool far = std::max(std::fabs(dx), std::fabs(dy)) > FarExtent
        || std::max({std::fabs(x0), std::fabs(y0), std::fabs(x1), std::fabs(y1)}) > FarCoordinate;
    if (!far)
        return Segment {stroke.from, stroke.to};

    // Liang-Barsky: the parameter range [t0, t1] of the segment inside the widened bounds.
    long double t0 = 0;
    long double t1 = 1;
    const long double p[4] = {-dx, dx, -dy, dy};
    const long double q[4] = {x0 - xMin, xMax - x0, y0 - yMin, yMax - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        const long double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
    }
    if (t0 > t1)
        return std::nullopt;

    // Clipped end points round half to even; an end point that was not clipped stays exact.
    const auto at = [&](long double t) {
        if (t == 0)
            return stroke.from;
        if (t == 1)
            return stroke.to;
        return PixelPoint {std::llrintl(x0 + t * dx), std::llrintl(y0 + t * dy)};
    };
    const Segment clipped {at(t0), at(t1)};
    if (clipped.from == clipped.to)
        return std::nullopt;
    return clipped;
}

} // namespace varmet
