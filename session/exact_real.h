#pragma once

// Reals written as text that reads back bit for bit: the raw bits of the value in hexadecimal,
// most significant first. An 80-bit extended real is 20 digits (sign and exponent, then the 64-bit
// significand), a double 16 digits. Negative zero, infinities, NaNs and subnormals all survive.

#include <QString>

#include <optional>

namespace varmet {

QString ExactText(long double value);
QString ExactText(double value);

// The value of a text written by ExactText, or nothing when the text is not exactly that many
// hexadecimal digits.
std::optional<long double> ExtendedFromText(const QString &text);
std::optional<double> DoubleFromText(const QString &text);

} // namespace varmet
