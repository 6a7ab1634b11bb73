#pragma once

// The chi-square distribution, for testing a fit's weighted residual sum against the noise the
// operator stated.

#include <cstddef>

namespace varmet {

// The probability that a chi-square variable with `freedom` degrees exceeds `value`; 1 for
// value <= 0. `freedom` must be at least 1.
long double ChiSquareTail(long double value, std::size_t freedom);

// The value a chi-square variable with `freedom` degrees exceeds with probability `tail`
// (0 < tail < 1), to about 1e-10 relative.
long double ChiSquareLimit(long double tail, std::size_t freedom);

} // namespace varmet
