#include "trig.h"

#include <cmath>

namespace varmet {

namespace {

// pi/2 split into three parts: P1 and P2 carry 37 and 38 significant bits, so k * P1 and k * P2
// are exact for every quadrant count k within reach, and P3 is the rest rounded to 64 bits. Their
// sum stands for pi/2 to some 142 bits, which keeps x - k pi/2 accurate to the last bit even for
// the long doubles closest to a multiple of pi/2.
constexpr long double HalfPi1 = 0x1.921fb5444p+0L;
constexpr long double HalfPi2 = 0x1.68c234c4cp-39L;
constexpr long double HalfPi3 = 0x1.98a2e03707344a4p-77L;
constexpr long double TwoOverPi = 0.636619772367581343075535053490057448L;
constexpr long double QuarterPi = 0.785398163397448309615660845819875721L;

// The reduction is kept to angles well inside what the split serves exactly; beyond this, where
// no angle of the board goes, the library takes over.
constexpr long double ReductionReach = 1024;

// x - quadrant pi/2 = hi + tail, with |hi| about pi/4 at most.
struct Reduced
{
    long long quadrant;
    long double hi;
    long double tail;
};

Reduced reduce(long double x)
{
    const long long quadrant = std::llrint(x * TwoOverPi);
    const long double k = static_cast<long double>(quadrant);
    // The first difference is exact, the second leaves its rounding error in e, and the last
    // part and e are folded in by an exact two-sum.
    const long double r1 = x - k * HalfPi1;
    const long double t = r1 - k * HalfPi2;
    const long double e = (r1 - t) - k * HalfPi2;
    const long double lo = e - k * HalfPi3;
    const long double hi = t + lo;
    const long double back = hi - t;
    return {quadrant, hi, (t - (hi - back)) + (lo - back)};
}

bool libraryReducesFast(long double x)
{
    return std::fabs(x) <= QuarterPi || !(std::fabs(x) <= ReductionReach);
}

} // namespace

SinCos SinCosRadians(long double x)
{
    if (libraryReducesFast(x))
        return {std::sin(x), std::cos(x)};
    const Reduced r = reduce(x);
    // sin(hi + tail) = sin hi + tail cos hi, cos(hi + tail) = cos hi - tail sin hi.
    const long double s0 = std::sin(r.hi);
    const long double c0 = std::cos(r.hi);
    const long double s = s0 + r.tail * c0;
    const long double c = c0 - r.tail * s0;
    switch (r.quadrant & 3) {
    case 0:
        return {s, c};
    case 1:
        return {c, -s};
    case 2:
        return {-s, -c};
    default:
        return {-c, s};
    }
}

long double SinRadians(long double x)
{
    if (libraryReducesFast(x))
        return std::sin(x);
    const Reduced r = reduce(x);
    // The tail is below half an ulp of hi, so the factor it takes needs only a few digits.
    const long double h2 = r.hi * r.hi;
    const long double v = r.quadrant % 2 == 0 ? std::sin(r.hi) + r.tail * (1 - h2 / 2)
                                              : std::cos(r.hi) - r.tail * r.hi * (1 - h2 / 6);
    return (r.quadrant & 2) == 0 ? v : -v;
}

} // namespace varmet
