#include "model/number_text.h"
#include "model/numeric.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>

namespace varmet {
namespace {

constexpr long double NaN = std::numeric_limits<long double>::quiet_NaN();
constexpr long double Infinity = std::numeric_limits<long double>::infinity();

TEST(NumberTextTest, WholeFormRoundsHalfToEven)
{
    const std::pair<long double, const char *> cases[]
        = {{2.5L, "2"}, {3.5L, "4"}, {-0.5L, "0"}, {-1.5L, "-2"}, {0.4999999L, "0"}, {-0.4L, "0"},
            {412.5L, "412"}, {413.5L, "414"}, {-12.84L, "-13"}, {1e15L, "1000000000000000"}};
    for (const auto &[value, text] : cases)
        EXPECT_EQ(WholeText(value), text) << value;
    EXPECT_THROW(WholeText(NaN), NumericFault);
    EXPECT_THROW(WholeText(Infinity), NumericFault);
    EXPECT_THROW(WholeText(1e30L), NumericFault);
}

// The score judges an error as it prints it, rounded half to even; a tie printed the other way
// would show an error out of tolerance as in it.
TEST(NumberTextTest, DecimalFormRoundsHalfToEvenAndNeverReadsMinusZero)
{
    const std::tuple<long double, int, const char *> cases[]
        = {{2.5L, 0, "2"}, {3.5L, 0, "4"}, {0.125L, 2, "0.12"}, {0.375L, 2, "0.38"},
            {2.25L, 1, "2.2"}, {-2.25L, 1, "-2.2"}, {-0.04L, 1, "0.0"}, {-0.06L, 1, "-0.1"},
            {7.0L, 2, "7.00"}, {1.005L, 3, "1.005"}, {359.96L, 1, "360.0"}};
    for (const auto &[value, decimals, text] : cases)
        EXPECT_EQ(DecimalText(value, decimals), text) << value << " " << decimals;
    EXPECT_EQ(DecimalText(NaN, 1), "—");
    EXPECT_EQ(DecimalText(-Infinity, 0), "—");
}

TEST(NumberTextTest, GeneralRealForm)
{
    const std::pair<long double, const char *> cases[]
        = {{0.0L, "0"}, {-0.0L, "0"}, {-7.0L, "-7"}, {-2.25L, "-2.25"}, {100.0L, "100"},
            {1.0L / 3, "0.333333333333333"}, {-2.0L / 3, "-0.666666666666667"},
            {1000.0L / 185.23L * 2, "10.7973870323382"}, {999999999999999.0L, "999999999999999"},
            // The sixteenth digit carries into a sixteenth whole digit: exponent notation.
            {999999999999999.5L, "1E15"}, {1234567890123456.0L, "1.23456789012346E15"},
            {2e20L, "2E20"}, {-2e20L, "-2E20"}, {0.00001L, "0.00001"}, {0.000015L, "0.000015"},
            {0.0000099L, "9.9E-6"}, {-1.5e-6L, "-1.5E-6"}, {1e-300L, "1E-300"}};
    for (const auto &[value, text] : cases)
        EXPECT_EQ(RealText(value), text) << value;
    EXPECT_EQ(RealText(10.25L, ','), "10,25");
    EXPECT_EQ(RealText(1.5e-6L, ','), "1,5E-6");
    EXPECT_EQ(RealText(42.0L, ','), "42");
    EXPECT_THROW(RealText(NaN), NumericFault);
    EXPECT_THROW(RealText(-Infinity), NumericFault);
}

TEST(NumberTextTest, WholeTextsTakeOnlyASignAndDigits)
{
    const std::pair<const char *, std::optional<std::int64_t>> cases[]
        = {{"42", 42}, {" -7 ", -7}, {"+3", 3}, {"-0", 0}, {"9223372036854775807", INT64_MAX},
            {"-9223372036854775808", INT64_MIN}, {"9223372036854775808", std::nullopt},
            {"-9223372036854775809", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt},
            {"+-1", std::nullopt}, {"1.5", std::nullopt}, {"1 2", std::nullopt},
            {"0x10", std::nullopt}};
    for (const auto &[text, value] : cases)
        EXPECT_EQ(ParseWhole(text), value) << text;
    const std::pair<const char *, std::optional<std::int32_t>> narrow[]
        = {{"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"2147483648", std::nullopt},
            {"-2147483649", std::nullopt}, {"4294967341", std::nullopt}, {"x", std::nullopt}};
    for (const auto &[text, value] : narrow)
        EXPECT_EQ(ParseWhole32(text), value) << text;
}

TEST(NumberTextTest, RealTextsInPlainOrExponentNotation)
{
    const std::pair<const char *, std::optional<long double>> cases[] = {{"10.5", 10.5L},
        {"10,5", 10.5L}, {" -45 ", -45.0L}, {"+2", 2.0L}, {"1,5E-6", 1.5e-6L}, {".5", 0.5L},
        {"5.", 5.0L}, {"1E+2", 100.0L}, {"", std::nullopt}, {".", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"0x10", std::nullopt}, {"1e", std::nullopt},
        {"1,2,3", std::nullopt}, {"1.5 m", std::nullopt}, {"1e999999", std::nullopt}};
    for (const auto &[text, value] : cases)
        EXPECT_EQ(ParseReal(text), value) << text;
}

} // namespace
} // namespace varmet
