#include "exact_real.h"

#include <array>
#include <cfloat>
#include <cstdint>
#include <cstring>

namespace varmet {

namespace {

static_assert(LDBL_MANT_DIG == 64, "extended reals are the 80-bit x87 format");

constexpr int ExtendedBytes = 10; // significand (8 bytes, little-endian), then sign and exponent
constexpr char Digits[] = "0123456789abcdef";

// The bytes written most significant first.
template<std::size_t N>
QString HexOf(const std::array<unsigned char, N> &littleEndian)
{
    QString text(static_cast<qsizetype>(2 * N), QLatin1Char('0'));
    for (std::size_t i = 0; i < N; ++i) {
        const unsigned char byte = littleEndian[N - 1 - i];
        text[static_cast<qsizetype>(2 * i)] = QLatin1Char(Digits[byte >> 4]);
        text[static_cast<qsizetype>(2 * i + 1)] = QLatin1Char(Digits[byte & 0xf]);
    }
    return text;
}

int DigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

template<std::size_t N>
std::optional<std::array<unsigned char, N>> BytesOf(const QString &text)
{
    if (text.size() != static_cast<qsizetype>(2 * N))
        return std::nullopt;
    std::array<unsigned char, N> bytes {};
    for (std::size_t i = 0; i < N; ++i) {
        const int high = DigitValue(text[static_cast<qsizetype>(2 * i)]);
        const int low = DigitValue(text[static_cast<qsizetype>(2 * i + 1)]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[N - 1 - i] = static_cast<unsigned char>(high << 4 | low);
    }
    return bytes;
}

} // namespace

QString ExactText(long double value)
{
    std::array<unsigned char, ExtendedBytes> bytes {};
    std::memcpy(bytes.data(), &value, ExtendedBytes);
    return HexOf(bytes);
}

QString ExactText(double value)
{
    std::array<unsigned char, sizeof(double)> bytes {};
    std::memcpy(bytes.data(), &value, sizeof(double));
    return HexOf(bytes);
}

std::optional<long double> ExtendedFromText(const QString &text)
{
    const auto bytes = BytesOf<ExtendedBytes>(text);
    if (!bytes)
        return std::nullopt;
    long double value = 0; // the six bytes beyond the 80 bits stay zero
    std::memcpy(&value, bytes->data(), ExtendedBytes);
    return value;
}

std::optional<double> DoubleFromText(const QString &text)
{
    const auto bytes = BytesOf<sizeof(double)>(text);
    if (!bytes)
        return std::nullopt;
    double value = 0;
    std::memcpy(&value, bytes->data(), sizeof(double));
    return value;
}

} // namespace varmet
