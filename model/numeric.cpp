#include "numeric.h"

#include <cmath>
#include <limits>

namespace varmet {

namespace {

std::string describe(FaultKind kind, const std::string &operation)
{
    std::string text;
    switch (kind) {
    case FaultKind::DivisionByZero:
        text = "Деление на ноль";
        break;
    case FaultKind::InvalidOperation:
        text = "Недопустимая операция с плавающей точкой";
        break;
    case FaultKind::Overflow:
        text = "Переполнение при операции с плавающей точкой";
        break;
    case FaultKind::BadNumberText:
        text = "Неверное число в поле";
        break;
    }
    if (!operation.empty())
        text += ": " + operation;
    return text;
}

} // namespace

NumericFault::NumericFault(FaultKind kind, const std::string &operation)
    : std::runtime_error(describe(kind, operation))
    , m_kind(kind)
{ }

long double Checked(long double x, const char *operation)
{
    if (std::isnan(x))
        throw NumericFault(FaultKind::InvalidOperation, operation);
    if (std::isinf(x))
        throw NumericFault(FaultKind::Overflow, operation);
    return x;
}

long double Divide(long double a, long double b, const char *operation)
{
    if (b == 0)
        throw NumericFault(FaultKind::DivisionByZero, operation);
    return Checked(a / b, operation);
}

long double RoundHalfEven(long double x)
{
    // rint rounds in the current mode, which is to nearest, ties to even.
    return std::rint(Checked(x, "округление"));
}

std::int64_t RoundToInt64(long double x)
{
    const long double r = RoundHalfEven(x);
    // 2^63 is exact in long double; anything at or beyond it does not fit.
    constexpr long double limit = 9223372036854775808.0L;
    if (r >= limit || r < -limit)
        throw NumericFault(FaultKind::InvalidOperation, "преобразование в целое число");
    return std::llrint(r); // r is whole, so this is exact
}

std::int32_t RoundToInt32(long double x)
{
    const std::int64_t r = RoundToInt64(x);
    if (r > std::numeric_limits<std::int32_t>::max()
        || r < std::numeric_limits<std::int32_t>::min())
        throw NumericFault(FaultKind::InvalidOperation, "преобразование в целое число");
    return static_cast<std::int32_t>(r);
}

} // namespace varmet
