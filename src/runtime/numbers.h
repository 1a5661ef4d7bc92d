#pragma once
// Numbers read from texts and conversions of doubles to integers that never overflow silently.
#include <cstdint>
#include <optional>
#include <string_view>

namespace routelet {

// The leading decimal number of a text: leading blanks, an optional sign, digits, at most one
// decimal point, an optional exponent (E or D). Blanks inside the number are skipped. A text that
// does not begin with a number gives 0; a number too large for a double gives an infinity.
double Val(std::string_view text);

// Rounds to the nearest integer, ties to even (2.5 gives 2, 3.5 gives 4). Empty when the result
// lies outside the 32-bit (or 64-bit) signed range, or the value is not a number.
std::optional<std::int32_t> ToInt32(double value);
std::optional<std::int64_t> ToInt64(double value);

}  // namespace routelet
