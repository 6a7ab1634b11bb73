#pragma once

// Numeric rules of the fire-control model: every real is an 80-bit long double, every
// real-to-integer conversion rounds half to even, and a division by zero, an invalid operation
// or an overflow is reported as a NumericFault instead of leaving a NaN or an infinity behind.

#include <cmath>
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

// x rounded half to even, as an integer. Throws when x is not finite (NaN: InvalidOperation, an
// infinity: Overflow) or its rounding does not fit the target type (InvalidOperation).
std::int64_t RoundToInt64Checked(long double x);
inline std::int64_t RoundToInt64(long double x)
{
    // Every pixel coordinate takes this way: below 2^62 x is finite and its rounding fits, so
    // the checks are needed only beyond.
    return std::fabs(x) < 0x1p62L ? std::llrint(x) : RoundToInt64Checked(x);
}
std::int32_t RoundToInt32(long double x);

// Throws the fault a value that is not finite stands for (NaN: InvalidOperation, infinity:
// Overflow); `operation` names the computation for the message.
[[noreturn]] void ThrowNotFinite(long double x, const char *operation);

// Returns x when it is finite; otherwise throws as ThrowNotFinite. These checks run on every
// value of a tick, so they stay inline.
inline long double Checked(long double x, const char *operation)
{
    if (!std::isfinite(x))
        ThrowNotFinite(x, operation);
    return x;
}

// a / b, throwing DivisionByZero when b is 0 and Overflow when the quotient is not finite.
inline long double Divide(long double a, long double b, const char *operation)
{
    if (b == 0)
        throw NumericFault(FaultKind::DivisionByZero, operation);
    return Checked(a / b, operation);
}

// x rounded to the nearest whole number, ties to even (2.5 -> 2, 3.5 -> 4, -0.5 -> 0), as a
// long double. Throws InvalidOperation for NaN and Overflow for an infinity.
inline long double RoundHalfEven(long double x)
{
    // rintl rounds in the current mode, which is to nearest, ties to even. Unlike nearbyintl it
    // may raise the inexact flag, which no one reads, and it does not save and restore the whole
    // floating-point environment, which made every rounding ten times as slow.
    return std::rint(Checked(x, "округление"));
}

} // namespace varmet
