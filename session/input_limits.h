#pragma once

// The reach of the numbers a session, a journal, an exercise or a script may give. Each is checked
// where it is read, so that whatever the program adds to them afterwards (a day of work, and far
// more) stays within 32 bits.

#include <QString>

#include <cstdint>
#include <optional>

namespace varmet {

// The most seconds a clock, a tick count or any count of repeated actions may reach when read:
// about 31 years, with as much again left before a 32-bit count would overflow.
inline constexpr std::int32_t MaxWorkCount = 1'000'000'000;

// A count written in a line ("tick 5", "step LabeledEdit7 up 3"): a whole number in
// 0..MaxWorkCount. Returns the count, or the reason in the script language's words.
struct CountRead
{
    std::int32_t value = 0;
    QString problem; // empty when read
};
CountRead ReadCount(const QString &word);

// The real written as `text` when it is a finite number within [low, high]: NaN, infinities and
// anything outside are none.
std::optional<double> FiniteIn(const QString &text, double low, double high);

// `a + b` for counts, held at MaxWorkCount instead of overflowing.
constexpr std::int64_t SaturatedSum(std::int64_t a, std::int64_t b)
{
    const std::int64_t sum = a + b; // both within 63 bits here
    return sum > MaxWorkCount ? std::int64_t {MaxWorkCount} : sum;
}

} // namespace varmet
