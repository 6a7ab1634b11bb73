#include "input_limits.h"

#include <cmath>

namespace varmet {

CountRead ReadCount(const QString &word)
{
    bool ok = false;
    const qlonglong value = word.toLongLong(&ok);
    if (!ok)
        return {0, QStringLiteral("count is not a whole number: \"%1\"").arg(word)};
    if (value < 0)
        return {0, QStringLiteral("negative count")};
    if (value > MaxWorkCount)
        return {0, QStringLiteral("count %1 is over %2").arg(value).arg(MaxWorkCount)};
    return {static_cast<std::int32_t>(value), {}};
}

std::optional<double> FiniteIn(const QString &text, double low, double high)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace varmet
