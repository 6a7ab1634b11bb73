#pragma once

// The plotting board's drawing surface. The picture the operator sees is the permanent content
// (grid, relative tracks, time marks, labels, eraser patches, opened pictures) with the live
// strokes laid over it as an inversion mask: a not-xor stroke turns a pixel p into
// NOT(p XOR pen colour), and drawing the same stroke again restores it. Copy-pen painting and
// texts always go into the permanent content, under the live strokes, so a live figure can be
// erased exactly at any later time whatever was painted in between.

#include "line_raster.h"

#include "model/figures.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRgb>
#include <QString>

#include <QPoint>

#include <vector>

namespace varmet {

enum class PenMode { CopyPen, NotXorPen };
enum class BrushStyle { Solid, Clear };

// The pen, brush and position as they stand between two drawings (the font is never changed).
struct CanvasState
{
    QRgb penColour = 0xff000000;
    int penWidth = 1;
    PenMode penMode = PenMode::CopyPen;
    QRgb brushColour = 0xffffffff;
    BrushStyle brushStyle = BrushStyle::Solid;
    PixelPoint position;
    friend bool operator==(const CanvasState &, const CanvasState &) = default;
};

namespace BoardColour {
inline constexpr QRgb Black = 0xff000000;
inline constexpr QRgb Red = 0xffff0000;
inline constexpr QRgb Blue = 0xff0000ff;
inline constexpr QRgb Magenta = 0xffff00ff;
inline constexpr QRgb White = 0xffffffff;
inline constexpr QRgb Yellow = 0xffffff00;
} // namespace BoardColour

class BoardCanvas
{
public:
    // A fresh white 650 x 650 board with the default state: pen black, width 1, CopyPen; brush
    // white and solid; the default 8-point sans-serif font; position (0, 0).
    BoardCanvas();

    // The board as the operator sees it (Format_RGB32). It is written in place: a copy held
    // across drawing calls makes every later call copy the whole picture first.
    const QImage &picture() const { return m_visible; }
    // The permanent content alone, without the live strokes.
    QImage permanentPicture() const { return m_permanent; }
    QSize size() const { return m_visible.size(); }

    // Replaces the permanent content by a copy of `picture` (any size, converted to RGB32) and
    // resets the state to the defaults. The live strokes stay laid over the new content.
    void replacePicture(const QImage &picture);

    // For a session: the state as it stands, and a board put back as it was written out: the
    // permanent content `picture` (RGB32) without any live stroke, and the state. The live
    // strokes are laid on afterwards by their owners.
    CanvasState state() const;
    void restore(const QImage &picture, const CanvasState &state);
    // The pen, brush and position set back to `state`, nothing painted.
    void setState(const CanvasState &state);

    // One pixel of the permanent content, read and painted anew under the live strokes: for
    // taking back a drawing exactly, pixel by pixel. (x, y) must lie on the board.
    QRgb permanentPixel(int x, int y) const;
    void setPermanentPixel(int x, int y, QRgb colour);
    // Every pixel of `points` (all on the board) painted `colour`, as a copy pen would paint them.
    void paintPixels(const std::vector<QPoint> &points, QRgb colour);

    // Pen, brush and position persist between callers.
    void setPenColor(QRgb colour) { m_penColour = colour; }
    void setPenWidth(int width) { m_penWidth = width; }
    void setPenMode(PenMode mode) { m_penMode = mode; }
    // Setting the colour while the style is clear also makes the brush solid.
    void setBrushColor(QRgb colour);
    void setBrushStyle(BrushStyle style) { m_brushStyle = style; }

    void moveTo(std::int64_t x, std::int64_t y);
    // A line from the pen position to (x, y) with the pen, its end point excluded; a line of
    // zero length paints nothing. In NotXorPen mode each of its pixels is inverted once.
    void lineTo(std::int64_t x, std::int64_t y);
    // The ellipse inscribed in (x1, y1)-(x2, y2), whose corners are its extreme points: outline
    // with the pen, inside with the brush unless it is clear. Always permanent content, in the
    // pen's colour and width whatever its mode (the board draws no inverting ellipse).
    void ellipse(int x1, int y1, int x2, int y2);
    // The text with its top-left corner at (x, y) in the canvas font; its box is painted with
    // the brush colour when the brush is solid.
    void textOut(int x, int y, const QString &text);
    // The area such a text may paint (its box, the glyphs' overhang and a margin).
    QRect textArea(int x, int y, const QString &text) const;
    // Pixels left <= x < right, top <= y < bottom painted with the brush.
    void fillRect(int left, int top, int right, int bottom);
    // Inverts a dotted one-pixel outline on the border of the rectangle (columns left and
    // right - 1, rows top and bottom - 1); the same call again removes it.
    void drawFocusRect(int left, int top, int right, int bottom);

    // The stateless primitive of the live figures: the stroke drawn with the not-xor pen in
    // `colour`, leaving the canvas state untouched.
    void invertStroke(const Stroke &stroke, QRgb colour);

    // The area changed since the last call, for repainting only what changed.
    QRect takeChangedArea();

private:
    void resetState();
    // Inverts the stroke's pixels by `xorValue` in the mask and the visible picture.
    void xorStroke(const Stroke &stroke, QRgb xorValue);
    // visible := permanent XOR mask over `area` (clipped to the board); marks it changed.
    void recompose(const QRect &area);
    QRect bounds() const { return m_permanent.rect(); }

    QImage m_permanent;
    std::vector<QRgb> m_mask; // per pixel, the RGB bits the live strokes invert; alpha 0
    QImage m_visible;
    LineRaster m_raster;
    QRgb m_penColour = BoardColour::Black;
    int m_penWidth = 1;
    PenMode m_penMode = PenMode::CopyPen;
    QRgb m_brushColour = BoardColour::White;
    BrushStyle m_brushStyle = BrushStyle::Solid;
    QFont m_font;
    PixelPoint m_position;
    QRect m_changed;
};

} // namespace varmet
