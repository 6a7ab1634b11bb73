#include "model/number_text.h"
#include "model/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace varmet {
namespace {

struct WholeCase
{
    long double value;
    const char *text;
};

class WholeTextTest : public ::testing::TestWithParam<WholeCase>
{
};

TEST_P(WholeTextTest, RoundsHalfToEven)
{
    EXPECT_EQ(WholeText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Ties, WholeTextTest,
    ::testing::Values(WholeCase {2.5L, "2"}, WholeCase {3.5L, "4"}, WholeCase {-0.5L, "0"},
        WholeCase {-1.5L, "-2"}, WholeCase {0.4999999L, "0"}, WholeCase {-0.4L, "0"},
        WholeCase {-0.0L, "0"}, WholeCase {412.5L, "412"}, WholeCase {413.5L, "414"},
        WholeCase {-12.84L, "-13"}, WholeCase {9497.1L, "9497"},
        WholeCase {1e15L, "1000000000000000"}));

TEST(WholeTextTest, FaultsOnValuesThatCannotBeRounded)
{
    EXPECT_THROW(WholeText(std::numeric_limits<long double>::quiet_NaN()), NumericFault);
    EXPECT_THROW(WholeText(std::numeric_limits<long double>::infinity()), NumericFault);
    EXPECT_THROW(WholeText(1e30L), NumericFault);
}

struct RealCase
{
    long double value;
    const char *text;
};

class RealTextTest : public ::testing::TestWithParam<RealCase>
{
};

TEST_P(RealTextTest, GeneralForm)
{
    EXPECT_EQ(RealText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Forms, RealTextTest,
    ::testing::Values(RealCase {0.0L, "0"}, RealCase {-0.0L, "0"}, RealCase {1.0L, "1"},
        RealCase {-7.0L, "-7"}, RealCase {1.5L, "1.5"}, RealCase {-2.25L, "-2.25"},
        RealCase {0.1L, "0.1"}, RealCase {100.0L, "100"}, RealCase {1.0L / 3, "0.333333333333333"},
        RealCase {2.0L / 3, "0.666666666666667"}, RealCase {-2.0L / 3, "-0.666666666666667"},
        RealCase {1000.0L / 185.23L * 2, "10.7973870323382"},
        RealCase {123456789012345.0L, "123456789012345"},
        RealCase {999999999999999.0L, "999999999999999"},
        // The sixteenth digit carries into a sixteenth whole digit: exponent notation.
        RealCase {999999999999999.5L, "1E15"}, RealCase {1e15L, "1E15"},
        RealCase {1234567890123456.0L, "1.23456789012346E15"}, RealCase {2e20L, "2E20"},
        RealCase {-2e20L, "-2E20"}, RealCase {0.00001L, "0.00001"},
        RealCase {0.000015L, "0.000015"}, RealCase {0.0000099L, "9.9E-6"},
        RealCase {1.5e-6L, "1.5E-6"}, RealCase {-1.5e-6L, "-1.5E-6"},
        RealCase {1e-300L, "1E-300"}));

TEST(RealTextTest, UsesTheGivenSeparator)
{
    EXPECT_EQ(RealText(10.25L, ','), "10,25");
    EXPECT_EQ(RealText(1.5e-6L, ','), "1,5E-6");
    EXPECT_EQ(RealText(42.0L, ','), "42");
}

TEST(RealTextTest, FaultsOnNonFiniteValues)
{
    EXPECT_THROW(RealText(std::numeric_limits<long double>::quiet_NaN()), NumericFault);
    EXPECT_THROW(RealText(-std::numeric_limits<long double>::infinity()), NumericFault);
}

struct ParseWholeCase
{
    const char *text;
    std::optional<std::int64_t> value;
};

class ParseWholeTest : public ::testing::TestWithParam<ParseWholeCase>
{
};

TEST_P(ParseWholeTest, AcceptsOnlyASignAndDigits)
{
    EXPECT_EQ(ParseWhole(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseWholeTest,
    ::testing::Values(ParseWholeCase {"42", 42}, ParseWholeCase {" -7 ", -7},
        ParseWholeCase {"+3", 3}, ParseWholeCase {"0", 0}, ParseWholeCase {"-0", 0},
        ParseWholeCase {"9223372036854775807", INT64_MAX},
        ParseWholeCase {"-9223372036854775808", INT64_MIN},
        ParseWholeCase {"9223372036854775808", std::nullopt},
        ParseWholeCase {"-9223372036854775809", std::nullopt}, ParseWholeCase {"", std::nullopt},
        ParseWholeCase {"  ", std::nullopt}, ParseWholeCase {"-", std::nullopt},
        ParseWholeCase {"+-1", std::nullopt}, ParseWholeCase {"1.5", std::nullopt},
        ParseWholeCase {"12a", std::nullopt}, ParseWholeCase {"1 2", std::nullopt},
        ParseWholeCase {"1e3", std::nullopt}, ParseWholeCase {"0x10", std::nullopt}));

struct ParseRealCase
{
    const char *text;
    std::optional<long double> value;
};

class ParseRealTest : public ::testing::TestWithParam<ParseRealCase>
{
};

TEST_P(ParseRealTest, PlainOrExponentNotation)
{
    EXPECT_EQ(ParseReal(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseRealTest,
    ::testing::Values(ParseRealCase {"10.5", 10.5L}, ParseRealCase {"10,5", 10.5L},
        ParseRealCase {" -45 ", -45.0L}, ParseRealCase {"+2", 2.0L},
        ParseRealCase {"-1e3", -1000.0L}, ParseRealCase {"1,5E-6", 1.5e-6L},
        ParseRealCase {".5", 0.5L}, ParseRealCase {"5.", 5.0L}, ParseRealCase {"1E+2", 100.0L},
        ParseRealCase {"", std::nullopt}, ParseRealCase {".", std::nullopt},
        ParseRealCase {"abc", std::nullopt}, ParseRealCase {"inf", std::nullopt},
        ParseRealCase {"nan", std::nullopt}, ParseRealCase {"0x10", std::nullopt},
        ParseRealCase {"1e", std::nullopt}, ParseRealCase {"1,2,3", std::nullopt},
        ParseRealCase {"1.5 m", std::nullopt}, ParseRealCase {"1e999999", std::nullopt}));

TEST(NumberTextTest, RealTextReadsBack)
{
    for (const long double value : {10.7973870323382L, -0.333333333333333L, 1.5e-6L, 2e20L}) {
        const std::optional<long double> back = ParseReal(RealText(value, ','));
        ASSERT_TRUE(back.has_value());
        EXPECT_NEAR(static_cast<double>(*back), static_cast<double>(value),
            std::fabs(static_cast<double>(value)) * 1e-14);
    }
}

} // namespace
} // namespace varmet
