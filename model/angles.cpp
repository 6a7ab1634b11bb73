#include "angles.h"

#include "numeric.h"
#include "units.h"

#include <algorithm>
#include <cmath>

namespace varmet {

long double VectorDirection(long double dx, long double dy)
{
    const long double r = std::sqrt(dx * dx + dy * dy);
    // |dx| <= r, so the quotient never leaves -1..1; r is 0 only for the zero vector, which
    // callers exclude.
    const long double a = RoundHalfEven(std::asin(Divide(dx, r, "направление вектора")) * 180 / Pi);
    if (dy < 0 && dx >= 0)
        return a == 0 ? 0 : a; // a negative zero dx must not give a direction of -0
    if (dy >= 0)
        return 180 - a;
    const long double westOfNorth = 360 + a;
    return westOfNorth == 360 ? 0 : westOfNorth;
}

long double ArcSin(long double x)
{
    const long double clamped = std::clamp(x, -1.0L, 1.0L);
    return std::atan2(clamped, std::sqrt(std::max(0.0L, 1 - clamped * clamped)));
}

long double ReduceOmega(long double d)
{
    if (d >= 180)
        return d - 360;
    if (d < -180)
        return d + 360;
    return d;
}

long double ReduceTurn(long double x)
{
    if (x >= 180)
        return x - 360;
    if (x <= -180)
        return x + 360;
    return x;
}

long double ReduceSecondTurn(long double x)
{
    const long double once = ReduceTurn(x);
    return once >= 180 ? ReduceTurn(once) : once;
}

long double FoldDirection(long double d)
{
    if (d >= 360)
        return d - 360;
    if (d < 0)
        return d + 360;
    return d;
}

long double FoldHeadingAngle(long double q)
{
    if (q > 180)
        return q - 360;
    if (q < -180)
        return q + 360;
    return q;
}

} // namespace varmet
