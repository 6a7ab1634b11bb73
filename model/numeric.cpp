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

void ThrowNotFinite(long double x, const char *operation)
{
    throw NumericFault(
        std::isnan(x) ? FaultKind::InvalidOperation : FaultKind::Overflow, operation);
}

std::int64_t RoundToInt64Checked(long double x)
{
    const long double r = RoundHalfEven(x);
    // 2^63 is exact in long double; anything at or beyond it does not fit.
    constexpr long double limit = 9223372036854775808.0L;
    if (r >= limit || r < -limit)
        throw NumericFault(FaultKind::InvalidOperation, "преобразование в целое число");
    // r is whole, so converting it in the rounding mode is exact; a cast would switch the x87
    // control word to truncation and back, which stalls the unit at every rounding.
    return std::llrint(r);
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
