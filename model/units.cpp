#include "units.h"

#include <cmath>

namespace varmet {

WholeDegreeTable::WholeDegreeTable()
{
    for (int degrees = -Reach; degrees <= Reach; ++degrees) {
        const long double radians = DegreesToRadians(degrees);
        m_values[static_cast<std::size_t>(degrees + Reach)]
            = {std::sin(radians), std::cos(radians)};
    }
}

BoardPointF PointAt(long double x0, long double y0, long double direction, long double distancePx)
{
    const SinCos screen = SinCosDegrees(direction - 90);
    return {x0 + distancePx * screen.cos, y0 + distancePx * screen.sin};
}

} // namespace varmet
