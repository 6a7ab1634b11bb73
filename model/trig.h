#pragma once

// sin and cos of an angle in radians, both at once. For |x| beyond pi/4 the extended-precision
// library functions reduce the argument by the slow exact method meant for huge angles; the
// angles of the board are at most a few tens of radians, so the reduction here is done by a
// cheap method that is exact enough for them, and the library is asked only for |r| <= pi/4.
// The results agree with std::sin and std::cos to within one ulp.

namespace varmet {

struct SinCos
{
    long double sin = 0;
    long double cos = 0;
};

SinCos SinCosRadians(long double radians);
long double SinRadians(long double radians); // the sine alone, at about half the cost

} // namespace varmet
