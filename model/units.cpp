#include "units.h"

#include <cmath>

namespace varmet {

BoardPointF PointAt(long double x0, long double y0, long double direction, long double distancePx)
{
    const long double screenAngle = DegreesToRadians(direction - 90);
    return {x0 + distancePx * std::cos(screenAngle), y0 + distancePx * std::sin(screenAngle)};
}

} // namespace varmet
