#pragma once

// The live figures of the board: every figure drawn with the inverting pen (each slot's true
// track and wake, salvo median and torpedo pair, and the own-ship vector) is recorded with the
// exact strokes and colour it was drawn with, and erased by replaying exactly those. A change of
// a display box, of the maximum run or of the target speed between a draw and its erase can
// therefore never leave a stray line.

#include "board_canvas.h"

#include <array>
#include <cstddef>

namespace varmet {

// The figures every slot has on the board. Count is no figure: it counts those before it.
enum class FigureKind { TrackAndWake, MedianLine, TorpedoPair, Count };
inline constexpr std::size_t FigureKindCount = static_cast<std::size_t>(FigureKind::Count);

struct RecordedFigure
{
    QRgb colour = BoardColour::White;
    StrokeList strokes;
    friend bool operator==(const RecordedFigure &, const RecordedFigure &) = default;
};

class LiveFigures
{
public:
    // The own-ship vector first, then each slot's figures in the order of FigureKind.
    using Figures = std::array<RecordedFigure, 1 + FigureKindCount * SlotCount>;

    explicit LiveFigures(BoardCanvas &canvas);

    // Erases what the figure shows now and draws `strokes` in `colour` in its place. A white
    // colour records a figure that paints nothing. Nothing is painted when the figure is
    // unchanged. A stroke equal to an earlier one of the same figure is drawn once.
    void show(FigureKind kind, int slotNumber, QRgb colour, const StrokeList &strokes);
    void showOwnShipVector(const StrokeList &strokes); // red

    const RecordedFigure &recorded(FigureKind kind, int slotNumber) const;
    const RecordedFigure &recordedOwnShipVector() const;

    // Erases every live figure and forgets it.
    void clear();

    // For a session: every figure as recorded, and figures put back on a canvas that shows no
    // live stroke (just restored): each is drawn, nothing is erased.
    const Figures &all() const { return m_figures; }
    void restore(const Figures &figures);

private:
    void replace(RecordedFigure &figure, const RecordedFigure &next);
    void invert(const RecordedFigure &figure);

    BoardCanvas &m_canvas;
    Figures m_figures {};
};

} // namespace varmet
