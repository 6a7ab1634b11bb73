#pragma once

// Small helpers shared by the board tests: pixel access and pixel sets.

#include "board/board_canvas.h"
#include "board/line_raster.h"

#include <QImage>

#include <set>
#include <utility>

namespace varmet::test {

using PixelSet = std::set<std::pair<int, int>>;

inline QRgb rgb(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0x00ffffff;
}

// Every pixel where the two pictures differ.
inline PixelSet differences(const QImage &a, const QImage &b)
{
    PixelSet changed;
    for (int y = 0; y < a.height(); ++y) {
        const auto *rowA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *rowB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (((rowA[x] ^ rowB[x]) & 0x00ffffff) != 0)
                changed.insert({x, y});
        }
    }
    return changed;
}

// The pixels of a stroke on a board-sized surface, with a count of how often each was visited.
struct Visits
{
    PixelSet pixels;
    int calls = 0;
};

inline Visits rasterise(const Stroke &stroke, QSize bounds = {650, 650})
{
    LineRaster raster;
    Visits visits;
    raster.forEachPixel(stroke, bounds, [&](int x, int y) {
        visits.pixels.insert({x, y});
        ++visits.calls;
    });
    return visits;
}

} // namespace varmet::test
