#pragma once

// The board frame and the units of every quantity. Own submarine stands fixed at the board's
// centre; x grows to the right and y downward; a direction B (clockwise from north) is drawn at the
// screen angle B - 90 degrees; 2 px are one cable.

#include <cmath>
#include <cstdint>
#include <numbers>

namespace varmet {

inline constexpr int BoardSize = 650;
inline constexpr int BoardCenter = 325; // both coordinates of own submarine on the board

inline constexpr long double Pi = std::numbers::pi_v<long double>; // full 64-bit mantissa

inline constexpr long double PxPerCable = 2.0L;
// Computed torpedo paths are shown at 185.2 m per cable, while the two metre inputs (wake length
// and path after the second turn) are read at 185.23 m per cable. Both are in use on purpose.
inline constexpr long double PathMetresPerCable = 185.2L;
inline constexpr long double InputMetresPerCable = 185.23L;
// One knot moves a target 1/180 px per second (10 cables per hour, 2 px per cable).
inline constexpr long double SecondsPerPxAtOneKnot = 180.0L;

// The lead angle and the displayed Fi use these written forms of the degree/radian factors.
inline constexpr long double LeadDegreesToRadians = 0.017453292519943295L;
inline constexpr long double DisplayRadiansToDegrees = 57.29577951308232L;

// The firing limits: an omega of 160 degrees and 0.68 of the maximum run.
inline constexpr long double OmegaLimit = 160.0L;
inline constexpr long double UsableRunShare = 0.68L;

inline long double DegreesToRadians(long double degrees)
{
    return degrees * Pi / 180;
}
inline long double RadiansToDegrees(long double radians)
{
    return radians * 180 / Pi;
}

// px -> metres for computed paths (et, et1, et2) and every comparison with the usable run.
inline long double PathMetres(long double px)
{
    return px / 2 * PathMetresPerCable;
}
// Metres typed into "КС (м)" or "Delta ет (м)" -> px, and back for display.
inline long double InputMetresToPx(long double metres)
{
    return metres / InputMetresPerCable * 2;
}
inline long double PxToInputMetres(long double px)
{
    return px * InputMetresPerCable / 2;
}

// The unit vector of a navigation direction on the board: the cos and sin of its screen angle
// direction - 90 degrees.
struct ScreenVector
{
    long double cos = 0;
    long double sin = 0;
};
inline ScreenVector ScreenAngle(long double direction)
{
    const long double radians = DegreesToRadians(direction - 90);
    return {std::cos(radians), std::sin(radians)};
}

} // namespace varmet
