// Exact reals read back bit for bit, and the journal's merging of repeated actions.

#include "session/exact_real.h"
#include "session/journal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace varmet;

namespace {

template<class T>
bool SameBits(T a, T b)
{
    constexpr std::size_t bytes = std::is_same_v<T, long double> ? 10 : sizeof(T);
    return std::memcmp(&a, &b, bytes) == 0;
}

template<class T>
std::vector<T> Extremes()
{
    using L = std::numeric_limits<T>;
    return {T(0), -T(0), T(1), T(-1), T(1) / T(3), L::max(), L::lowest(), L::min(), L::denorm_min(),
        -L::denorm_min(), L::infinity(), -L::infinity(), L::quiet_NaN(), -L::quiet_NaN(),
        L::epsilon(), T(325.5), T(-459.60635)};
}

TEST(ExactReal, ExtendedAndDoubleValuesReadBackBitForBit)
{
    for (const long double value : Extremes<long double>()) {
        const QString text = ExactText(value);
        EXPECT_EQ(text.size(), 20);
        const auto back = ExtendedFromText(text);
        ASSERT_TRUE(back.has_value()) << text.toStdString();
        EXPECT_TRUE(SameBits(*back, value)) << text.toStdString();
    }
    for (const double value : Extremes<double>()) {
        const auto back = DoubleFromText(ExactText(value));
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(SameBits(*back, value)) << ExactText(value).toStdString();
    }
    EXPECT_EQ(ExactText(-0.0L), "80000000000000000000");
    EXPECT_EQ(ExactText(1.0L), "3fff8000000000000000");
}

TEST(ExactReal, TextOfTheWrongLengthOrDigitsIsNoValue)
{
    for (const char *text : {"", "3fff800000000000000", "3fff80000000000000000",
             "3fff80000000000000g0", "3fff8000000000000 00", "-3ff8000000000000000"})
        EXPECT_FALSE(ExtendedFromText(QString::fromLatin1(text))) << text;
    EXPECT_FALSE(DoubleFromText("3ff000000000000"));
}

TEST(Journal, MergesRepeatsClicksAndTicksAndGoesOnAfterASessionsJournal)
{
    Journal journal;
    journal.tick();
    journal.tick();
    journal.action("press LabeledEdit7 up"); // a click: press and release together
    journal.release("LabeledEdit7");
    journal.action("press LabeledEdit7 up");
    journal.release("LabeledEdit7");
    journal.action("press LabeledEdit8 down"); // a hold: ticks and repeats in between
    journal.holdTick();
    journal.holdTick();
    journal.repeatable("repeat LabeledEdit8");
    journal.repeatable("repeat LabeledEdit8");
    journal.release("LabeledEdit8");
    journal.tick();
    EXPECT_EQ(journal.text(),
        "tick 2\nstep LabeledEdit7 up 2\npress LabeledEdit8 down\n"
        "holdtick 2\nrepeat LabeledEdit8 2\nrelease LabeledEdit8\ntick 1\n");
    EXPECT_GT(journal.revision(), 0u);

    Journal resumed;
    resumed.reset(journal.text());
    EXPECT_EQ(resumed.revision(), 0u);
    resumed.tick();
    resumed.action("check CheckBox1 on");
    EXPECT_EQ(resumed.text(),
        "tick 2\nstep LabeledEdit7 up 2\npress LabeledEdit8 down\n"
        "holdtick 2\nrepeat LabeledEdit8 2\nrelease LabeledEdit8\ntick 2\n"
        "check CheckBox1 on\n");
}

} // namespace
