#include "live_figures.h"

#include <algorithm>
#include <cassert>

namespace varmet {

namespace {

constexpr std::size_t OwnShipVectorIndex = 0;

std::size_t figureIndex(FigureKind kind, int slotNumber)
{
    assert(TargetSlots::Contains(slotNumber) && kind != FigureKind::Count);
    return 1 + FigureKindCount * static_cast<std::size_t>(slotNumber - 1)
        + static_cast<std::size_t>(kind);
}

} // namespace

LiveFigures::LiveFigures(BoardCanvas &canvas)
    : m_canvas(canvas)
{ }

void LiveFigures::show(FigureKind kind, int slotNumber, QRgb colour, const StrokeList &strokes)
{
    replace(m_figures[figureIndex(kind, slotNumber)], {colour, strokes});
}

void LiveFigures::showOwnShipVector(const StrokeList &strokes)
{
    replace(m_figures[OwnShipVectorIndex], {BoardColour::Red, strokes});
}

const RecordedFigure &LiveFigures::recorded(FigureKind kind, int slotNumber) const
{
    return m_figures[figureIndex(kind, slotNumber)];
}

const RecordedFigure &LiveFigures::recordedOwnShipVector() const
{
    return m_figures[OwnShipVectorIndex];
}

void LiveFigures::clear()
{
    for (RecordedFigure &figure : m_figures)
        replace(figure, {});
}

void LiveFigures::restore(const Figures &figures)
{
    m_figures = {};
    for (std::size_t i = 0; i < figures.size(); ++i)
        replace(m_figures[i], figures[i]);
}

void LiveFigures::replace(RecordedFigure &figure, const RecordedFigure &next)
{
    if (figure == next)
        return;
    // The erase replays exactly what drew the figure, whatever has changed since.
    invert(figure);
    invert(next);
    figure = next;
}

void LiveFigures::invert(const RecordedFigure &figure)
{
    // A stroke that repeats an earlier one of the figure (both torpedoes on one path) is shown
    // once: inverted twice, the line would vanish.
    const Stroke *const begin = figure.strokes.begin();
    for (const Stroke *stroke = begin; stroke != figure.strokes.end(); ++stroke) {
        if (std::find(begin, stroke, *stroke) == stroke)
            m_canvas.invertStroke(*stroke, figure.colour);
    }
}

} // namespace varmet
