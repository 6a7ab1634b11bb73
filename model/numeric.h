#pragma once

// Numeric rules of the fire-control model: every real is an 80-bit long double, every
// real-to-integer conversion rounds half to even, and a division by zero, an invalid operation
// or an overflow is reported as a NumericFault instead of leaving a NaN or an infinity behind.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace varmet {

enum class FaultKind {
    DivisionByZero,
    InvalidOperation,
    Overflow,
    BadNumberText, // a field that must hold a number holds other text
};

// A fault that stops the handler in which it arises; its message (Russian) names the fault and
// the operation, ready for the operator's message box.
class NumericFault : public std::runtime_error
{
public:
    NumericFault(FaultKind kind, const std::string &operation);

    FaultKind kind() const noexcept { return m_kind; }

private:
    FaultKind m_kind;
};

// x rounded to the nearest whole number, ties to even (2.5 -> 2, 3.5 -> 4, -0.5 -> 0), as a
// long double. Throws InvalidOperation for NaN and Overflow for an infinity.
long double RoundHalfEven(long double x);

// The same rounding as an integer. Throws InvalidOperation when x is not finite or the result
// does not fit the target type.
std::int64_t RoundToInt64(long double x);
std::int32_t RoundToInt32(long double x);

// Returns x when it is finite; otherwise throws (NaN: InvalidOperation, infinity: Overflow).
// `operation` names the computation for the message.
long double Checked(long double x, const char *operation);

// a / b, throwing DivisionByZero when b is 0 and Overflow when the quotient is not finite.
long double Divide(long double a, long double b, const char *operation);

} // namespace varmet
