#include "units.h"

#include <array>
#include <cmath>

namespace varmet {

namespace {

// Whole degrees -720..720 cover every sum of a course, a meeting angle and a screen offset.
constexpr int TableReach = 720;

class WholeDegreeTable
{
public:
    WholeDegreeTable()
    {
        for (int degrees = -TableReach; degrees <= TableReach; ++degrees) {
            const long double radians = DegreesToRadians(degrees);
            m_values[index(degrees)] = {std::sin(radians), std::cos(radians)};
        }
    }

    static const WholeDegreeTable &instance()
    {
        static const WholeDegreeTable table;
        return table;
    }

    // The table index of a whole number of degrees within reach; -1 otherwise.
    static int find(long double degrees)
    {
        if (!(degrees >= -TableReach && degrees <= TableReach))
            return -1;
        const long long whole = std::llrint(degrees);
        return whole == degrees ? index(static_cast<int>(whole)) : -1;
    }

    const SinCos &at(int i) const { return m_values[static_cast<std::size_t>(i)]; }

private:
    static int index(int degrees) { return degrees + TableReach; }

    std::array<SinCos, 2 * TableReach + 1> m_values {};
};

} // namespace

SinCos SinCosDegrees(long double degrees)
{
    const int i = WholeDegreeTable::find(degrees);
    return i >= 0 ? WholeDegreeTable::instance().at(i) : SinCosRadians(DegreesToRadians(degrees));
}

BoardPointF PointAt(long double x0, long double y0, long double direction, long double distancePx)
{
    const SinCos screen = SinCosDegrees(direction - 90);
    return {x0 + distancePx * screen.cos, y0 + distancePx * screen.sin};
}

} // namespace varmet
