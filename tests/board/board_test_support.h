#pragma once

// Small helpers shared by the board tests: pixel access, pixel sets and the pixels of a stroke,
// texts printed as text.

#include "board/board_canvas.h"
#include "board/line_raster.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

// Failures show texts as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

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
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), a.bytesPerLine()) == 0)
            continue;
        for (int x = 0; x < a.width(); ++x) {
            if (rgb(a, x, y) != rgb(b, x, y))
                changed.insert({x, y});
        }
    }
    return changed;
}

// The pixels of a stroke on the board. Every call also checks that each pixel is visited once
// and that the rectangle reported is exactly the one holding them.
inline PixelSet rasterise(const Stroke &stroke)
{
    PixelSet pixels;
    QRect holding;
    int visits = 0;
    const QRect area = LineRaster().forEachPixel(stroke, {650, 650}, [&](int x, int y) {
        pixels.insert({x, y});
        holding |= QRect(x, y, 1, 1);
        ++visits;
    });
    EXPECT_EQ(visits, static_cast<int>(pixels.size()));
    EXPECT_EQ(area, holding);
    return pixels;
}

inline StrokeList strokesOf(std::initializer_list<Stroke> strokes)
{
    StrokeList list;
    for (const Stroke &stroke : strokes)
        list.add(stroke);
    return list;
}

} // namespace varmet::test
