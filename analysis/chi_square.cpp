#include "chi_square.h"

#include <cmath>

namespace varmet {

namespace {

constexpr int MaxTerms = 1000;
constexpr long double Precision = 1e-16L;

// The regularised lower incomplete gamma P(a, x) by its series (good for x < a + 1).
long double LowerSeries(long double a, long double x)
{
    long double term = 1 / a;
    long double sum = term;
    for (int n = 1; n < MaxTerms; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * Precision)
            break;
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

// The regularised upper incomplete gamma Q(a, x) by its continued fraction (modified Lentz; good
// for x >= a + 1).
long double UpperFraction(long double a, long double x)
{
    constexpr long double Tiny = 1e-300L;
    long double b = x + 1 - a;
    long double c = 1 / Tiny;
    long double d = 1 / b;
    long double h = d;
    for (int i = 1; i < MaxTerms; ++i) {
        const long double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < Tiny)
            d = Tiny;
        c = b + an / c;
        if (std::fabs(c) < Tiny)
            c = Tiny;
        d = 1 / d;
        const long double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1) < Precision)
            break;
    }
    return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

} // namespace

long double ChiSquareTail(long double value, std::size_t freedom)
{
    if (!(value > 0))
        return 1;
    const long double a = static_cast<long double>(freedom) / 2;
    const long double x = value / 2;
    return x < a + 1 ? 1 - LowerSeries(a, x) : UpperFraction(a, x);
}

long double ChiSquareLimit(long double tail, std::size_t freedom)
{
    // The tail falls as the value grows: bisect between 0 and a value far beyond the mean.
    const long double k = static_cast<long double>(freedom);
    long double low = 0;
    long double high = k + 20 * std::sqrt(2 * k) + 100;
    for (int i = 0; i < 200 && high - low > 1e-12L * high; ++i) {
        const long double middle = (low + high) / 2;
        (ChiSquareTail(middle, freedom) > tail ? low : high) = middle;
    }
    return (low + high) / 2;
}

} // namespace varmet
