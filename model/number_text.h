#pragma once

// The two forms in which numbers are written into the display fields, and the reading of
// field texts back into numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varmet {

// The whole-number form: the value rounded half to even, in decimal digits with a leading minus
// when negative ("-0" never appears). Throws NumericFault when the value cannot be rounded.
std::string WholeText(long double value);

// The general real form: the shortest decimal text of the value with at most 15 significant
// digits, trailing zeros dropped, no digit grouping; plain notation while the value has at most
// 15 digits before the separator and a magnitude of at least 0.00001, otherwise exponent notation
// ("1.5E-6", "2E20"); zero is "0".
std::string RealText(long double value, char decimalSeparator = '.');

// A value with `decimals` places (0..6), rounded half to even, as the score, the dock and the
// analysis print them: "-" only when the rounded value is below zero, so never "-0.0"; "—" for a
// value that is not finite or too large to round.
std::string DecimalText(long double value, int decimals);

// A whole number as typed or written in a field: an optional sign and decimal digits, nothing
// else (surrounding blanks are allowed). nullopt for any other text or a value beyond 64 bits.
std::optional<std::int64_t> ParseWhole(std::string_view text);
// The same for a value held in 32 bits: nullopt also for a whole number beyond that range.
std::optional<std::int32_t> ParseWhole32(std::string_view text);

// A real number in plain or exponent notation; '.' and ',' both serve as the separator.
std::optional<long double> ParseReal(std::string_view text);

} // namespace varmet
