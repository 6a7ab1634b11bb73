#pragma once

// Directions of board vectors and the foldings of angles.

namespace varmet {

// Whole-degree compass direction 0..359 of the board vector (dx, dy) (x right, y down), by the
// quadrant of the arcsine: 0 up, 90 right, clockwise. (dx, dy) must not both be 0. In the
// north-west quadrant the result is 360 + a, a result of 360 reading as 0.
long double VectorDirection(long double dx, long double dy);

// ArcSin(x) in radians, as ArcTan2(x, sqrt(1 - x * x)). Rounding may carry x a hair beyond
// -1..1; it is taken as -1 or 1 there.
long double ArcSin(long double x);

// An omega folded into -180..180: d - 360 when d >= 180, d + 360 when d < -180 (so 180 gives
// -180).
long double ReduceOmega(long double d);

// A turn or a lead angle folded once: x - 360 when x >= 180, x + 360 when x <= -180.
long double ReduceTurn(long double x);

// A second-turn angle folded into -180 <= x < 180: ReduceTurn, and once more when that leaves
// 180 or more (a raw turn of -180, or of 540 and more: the last leg's course Kц + Theta + 180
// reaches 689).
long double ReduceSecondTurn(long double x);

// A direction brought into 0..360 by one correction: d - 360 when d >= 360, d + 360 when d < 0.
long double FoldDirection(long double d);

// The target heading angle of the display: q - 360 when q > 180, q + 360 when q < -180.
long double FoldHeadingAngle(long double q);

} // namespace varmet
