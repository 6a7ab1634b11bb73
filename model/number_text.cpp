#include "number_text.h"

#include "numeric.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace varmet {

namespace {

// Significant digits of the general real form.
constexpr int RealDigits = 15;
// Plain notation covers decimal exponents -5..14: at least 0.00001 and at most 15 whole digits.
constexpr int SmallestPlainExponent = -5;
constexpr int LargestPlainExponent = RealDigits - 1;

// A finite, non-zero magnitude rounded to 15 significant digits: the digits without trailing
// zeros and the decimal exponent of the first one.
struct DecimalDigits
{
    std::string digits;
    int exponent = 0;
};

DecimalDigits roundedDigits(long double magnitude)
{
    // "d.dddddddddddddde+XX": the C library rounds the exact binary value, ties to even.
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*Le", RealDigits - 1, magnitude);
    const std::string text(buffer, static_cast<std::size_t>(length));
    const std::size_t e = text.find('e');

    DecimalDigits result;
    result.digits = text.substr(0, 1) + text.substr(2, e - 2);
    result.exponent = std::stoi(text.substr(e + 1));
    const std::size_t last = result.digits.find_last_not_of('0');
    result.digits.erase(last + 1); // the first digit of a non-zero value is never 0
    return result;
}

std::string plainText(const DecimalDigits &d, char separator)
{
    std::string text;
    if (d.exponent < 0) {
        text = "0";
        text += separator;
        text.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        text += d.digits;
        return text;
    }
    const auto wholeDigits = static_cast<std::size_t>(d.exponent) + 1;
    if (d.digits.size() <= wholeDigits) {
        text = d.digits;
        text.append(wholeDigits - d.digits.size(), '0');
        return text;
    }
    text = d.digits.substr(0, wholeDigits);
    text += separator;
    text += d.digits.substr(wholeDigits);
    return text;
}

std::string exponentText(const DecimalDigits &d, char separator)
{
    std::string text = d.digits.substr(0, 1);
    if (d.digits.size() > 1) {
        text += separator;
        text += d.digits.substr(1);
    }
    text += 'E';
    text += std::to_string(d.exponent);
    return text;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Skips a run of digits starting at `pos`; returns how many there were.
std::size_t skipDigits(std::string_view text, std::size_t &pos)
{
    const std::size_t start = pos;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    return pos - start;
}

} // namespace

std::string WholeText(long double value)
{
    // An integer has no negative zero, so -0.4 reads "0".
    return std::to_string(RoundToInt64(value));
}

std::string RealText(long double value, char decimalSeparator)
{
    Checked(value, "запись числа");
    if (value == 0)
        return "0"; // also for a negative zero
    const DecimalDigits d = roundedDigits(std::fabs(value));
    const bool plain = d.exponent >= SmallestPlainExponent && d.exponent <= LargestPlainExponent;
    const std::string body
        = plain ? plainText(d, decimalSeparator) : exponentText(d, decimalSeparator);
    return value < 0 ? "-" + body : body;
}

std::string DecimalText(long double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 6);
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const long double scaled = std::nearbyint(value * scale);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 1e18L)
        return "—";
    const long long whole = std::llabs(static_cast<long long>(scaled));
    std::string text = std::to_string(whole / scale);
    if (decimals > 0) {
        std::string fraction = std::to_string(whole % scale);
        text += '.' + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0')
            + fraction;
    }
    return scaled < 0 ? "-" + text : text;
}

std::optional<std::int64_t> ParseWhole(std::string_view text)
{
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !isDigit(text.front()))
        return std::nullopt;

    // Read the magnitude unsigned so that the most negative 64-bit value still fits.
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    constexpr std::uint64_t largest = static_cast<std::uint64_t>(INT64_MAX);
    if (negative) {
        if (magnitude > largest + 1)
            return std::nullopt;
        return magnitude == largest + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > largest)
        return std::nullopt;
    return static_cast<std::int64_t>(magnitude);
}

std::optional<std::int32_t> ParseWhole32(std::string_view text)
{
    const std::optional<std::int64_t> whole = ParseWhole(text);
    if (!whole || *whole < std::numeric_limits<std::int32_t>::min()
        || *whole > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*whole);
}

std::optional<long double> ParseReal(std::string_view text)
{
    text = trimmed(text);
    // The grammar is checked here so that "inf", "nan" or hexadecimal forms are never taken.
    std::string normal(text);
    std::size_t pos = 0;
    if (pos < normal.size() && (normal[pos] == '+' || normal[pos] == '-'))
        ++pos;
    const std::size_t numberStart = pos;
    std::size_t mantissaDigits = skipDigits(normal, pos);
    if (pos < normal.size() && (normal[pos] == '.' || normal[pos] == ',')) {
        normal[pos] = '.';
        ++pos;
        mantissaDigits += skipDigits(normal, pos);
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (pos < normal.size() && (normal[pos] == 'e' || normal[pos] == 'E')) {
        ++pos;
        if (pos < normal.size() && (normal[pos] == '+' || normal[pos] == '-'))
            ++pos;
        if (skipDigits(normal, pos) == 0)
            return std::nullopt;
    }
    if (pos != normal.size())
        return std::nullopt;

    // from_chars takes no leading '+' and ignores the locale.
    long double value = 0;
    const char *first = normal.data() + numberStart;
    const char *last = normal.data() + normal.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    const bool negative = numberStart > 0 && normal.front() == '-';
    return negative ? -value : value;
}

} // namespace varmet
