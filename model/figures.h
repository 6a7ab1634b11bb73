#pragma once

// The geometry of every figure drawn on the board, as plain data: the strokes (whole-pixel end
// points and pen width) exactly as the board draws and, later, erases them. Every coordinate is a
// sum of separately rounded terms (ties to even).

#include "motion.h"
#include "state.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace varmet {

// A board pixel. Wide enough for points far off the board (a very long path).
struct PixelPoint
{
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const PixelPoint &, const PixelPoint &) = default;
};

// One "move to from, line to to" with a pen of `width` px; the end point itself is not painted.
struct Stroke
{
    PixelPoint from;
    PixelPoint to;
    int width = 1;
    friend bool operator==(const Stroke &, const Stroke &) = default;
};

// The strokes of one figure, in drawing order; no figure has more than four.
class StrokeList
{
public:
    static constexpr std::size_t Capacity = 4;

    void add(const Stroke &stroke);
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const Stroke &operator[](std::size_t i) const { return m_strokes[i]; }
    const Stroke *begin() const { return m_strokes.data(); }
    const Stroke *end() const { return m_strokes.data() + m_size; }

    friend bool operator==(const StrokeList &a, const StrokeList &b);

private:
    std::array<Stroke, Capacity> m_strokes {};
    std::size_t m_size = 0;
};

// The plotted position: (rounded PosX, rounded PosY).
PixelPoint PlottedPosition(const TargetSlot &slot);

// The true track from the plotted position to the meeting point (width 1) and, while the target
// speed is above 0, the wake from the meeting point back along the course (width 3).
StrokeList TrackAndWake(const TargetSlot &slot);

// The salvo median from the board centre, when the slot has a solution that IsDrawable admits.
StrokeList MedianLine(const TargetSlot &slot, std::int32_t maxRun);

// The two-torpedo figure: for each torpedo whose solution IsDrawable admits, centre -> end of
// its straight course -> wake point (no second turn) or centre -> turn point -> wake point.
StrokeList TorpedoPair(const TargetSlot &slot, std::int32_t maxRun);

// Own-ship velocity vector: shaft from the centre (2 px per knot) and two 5 px barbs (width 2).
StrokeList OwnShipVector(std::int32_t ownCourse, WholeVector ownVelocity);

} // namespace varmet
