#pragma once
// Numbers written as the texts that the page shows.
#include <cstddef>
#include <cstdint>
#include <string>

namespace routelet {

// The room that any text below takes, written with a Write function: the fixed notation of any
// double fits (at most 309 integer digits, or "0." and 324 fraction digits), with up to eight
// digits after the point.
inline constexpr std::size_t kLongestValueText = 400;

// The value rounded half away from zero to `fractionDigits` digits, written with exactly that
// many digits after ".", the integer part left out when it is 0, "-" before a negative result
// (never before one that rounds to zero). The rounding works on the shortest decimal text that
// reads back as the same double, so 2.675 gives 2.68 with two digits.
// Pattern "###.###0" is 4 digits; "####.#0" and "###.#0" are 2.
std::string NumberText(double value, int fractionDigits);
// The same written at `out`, which has room for kLongestValueText characters (`fractionDigits`
// at most 8), without a string of its own (a page writes millions of numbers); returns the end.
char* WriteNumberText(char* out, double value, int fractionDigits);

// The shortest decimal text that reads back as the same double, in fixed notation: "." and a
// leading "0" ("0.5", "-0.25"), never an exponent (1e-7 is "0.0000001").
std::string ShortestText(double value);
char* WriteShortestText(char* out, double value);

// The integer's decimal text right-aligned in a field of 10 characters; a longer text is whole.
std::string RightAligned10(std::int64_t value);
// RightAligned10 written at `out`, which has room for 20 characters; returns the end.
char* WriteRightAligned10(char* out, std::int64_t value);

}  // namespace routelet
