#include "runtime/value_texts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <system_error>

namespace routelet {

namespace {

using ShortestBuffer = char[kLongestValueText];

// ShortestText in `buffer`, without making a string (a page writes millions of numbers).
std::string_view ShortestInto(double value, ShortestBuffer& buffer) {
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (error != std::errc()) return {};
  return {buffer, static_cast<std::size_t>(end - buffer)};
}

// Where the scaled rounding below holds, and how near a tie it leaves the digits to decide.
constexpr double kFastLimit = 8589934592.0;  // 2^33
constexpr double kTieMargin = 1e-5;
constexpr double kPowersOfTen[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// Writes the digits of `value` (at most 20) at `out`; returns the end.
char* WriteDigits(char* out, std::uint64_t value) { return std::to_chars(out, out + 20, value).ptr; }

// `kDigits` is a constant, so that the divisions by 10^kDigits below are multiplications: a page
// writes millions of these numbers, and a division by a variable costs as much as the rest.
template <int kDigits>
char* WriteRoundedScaled(char* out, double value) {
  constexpr std::uint64_t kUnit = static_cast<std::uint64_t>(kPowersOfTen[kDigits]);
  const double scaled = std::fabs(value) * kPowersOfTen[kDigits];
  if (!(scaled < kFastLimit)) return nullptr;  // NaN too
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;
  if (std::fabs(fraction - 0.5) < kTieMargin) return nullptr;
  const auto rounded = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  if (std::signbit(value) && rounded != 0) *out++ = '-';
  if (const std::uint64_t integer = rounded / kUnit; integer != 0) out = WriteDigits(out, integer);
  if constexpr (kDigits > 0) {
    // The fraction's digits with leading zeros: unit + fraction has one digit more than wanted,
    // the "1" that the point then writes over.
    char* const point = out;
    out = WriteDigits(out, kUnit + rounded % kUnit);
    *point = '.';
  }
  return out;
}

// The same as the digit by digit rounding below for values that are not near a tie: the value
// scaled by 10^digits, once rounded in the product, lies within about two units in its last
// place of the shortest text scaled (itself within half a unit of the value), and below 2^33 that
// is far less than kTieMargin. Rounding both then gives the same integer, even where an integer
// lies between them. Nothing written, and nullptr, where the digits must decide.
char* WriteRoundedScaled(char* out, double value, int fractionDigits) {
  switch (fractionDigits) {
    case 0: return WriteRoundedScaled<0>(out, value);
    case 1: return WriteRoundedScaled<1>(out, value);
    case 2: return WriteRoundedScaled<2>(out, value);
    case 3: return WriteRoundedScaled<3>(out, value);
    case 4: return WriteRoundedScaled<4>(out, value);
    case 5: return WriteRoundedScaled<5>(out, value);
    case 6: return WriteRoundedScaled<6>(out, value);
    case 7: return WriteRoundedScaled<7>(out, value);
    case 8: return WriteRoundedScaled<8>(out, value);
    default: return nullptr;
  }
}

}  // namespace

char* WriteShortestText(char* out, double value) {
  const auto [end, error] = std::to_chars(out, out + kLongestValueText, value, std::chars_format::fixed);
  return error == std::errc() ? end : out;
}

std::string ShortestText(double value) {
  char text[kLongestValueText];
  return {text, WriteShortestText(text, value)};
}

char* WriteNumberText(char* out, double value, int fractionDigits) {
  if (char* end = WriteRoundedScaled(out, value, fractionDigits)) return end;
  ShortestBuffer buffer;
  std::string_view text = ShortestInto(value, buffer);
  if (!std::isfinite(value) || text.empty()) return std::copy(text.begin(), text.end(), out);

  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t point = std::min(text.find('.'), text.size());
  const std::string_view integerPart = text.substr(0, point);
  const std::string_view fractionPart = text.substr(std::min(point + 1, text.size()));
  const auto digits = static_cast<std::size_t>(fractionDigits);

  // The digits kept, integer and fraction together, after one spare "0" that a carry out of the
  // integer part turns into "1".
  std::string kept(1 + integerPart.size() + digits, '0');
  integerPart.copy(kept.data() + 1, integerPart.size());
  fractionPart.copy(kept.data() + 1 + integerPart.size(), digits);
  bool roundUp = fractionPart.size() > digits && fractionPart[digits] >= '5';
  for (std::size_t i = kept.size(); roundUp && i-- > 0;) {
    roundUp = kept[i] == '9';
    kept[i] = roundUp ? '0' : static_cast<char>(kept[i] + 1);
  }

  const std::size_t integerEnd = 1 + integerPart.size();
  const std::size_t firstNonZero = std::min(kept.find_first_not_of('0'), kept.size());
  const std::size_t integerStart = std::min(firstNonZero, integerEnd);
  const bool isZero = firstNonZero == kept.size();

  if (negative && !isZero) *out++ = '-';
  out = std::copy(kept.begin() + static_cast<std::ptrdiff_t>(integerStart), kept.begin() + static_cast<std::ptrdiff_t>(integerEnd), out);
  if (digits > 0) {
    *out++ = '.';
    out = std::copy_n(kept.begin() + static_cast<std::ptrdiff_t>(integerEnd), digits, out);
  }
  return out;
}

std::string NumberText(double value, int fractionDigits) {
  char text[kLongestValueText];
  return {text, WriteNumberText(text, value, fractionDigits)};
}

char* WriteRightAligned10(char* out, std::int64_t value) {
  char digits[24];
  const std::size_t length = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
  if (length < 10) out = std::fill_n(out, 10 - length, ' ');
  return std::copy_n(digits, length, out);
}

std::string RightAligned10(std::int64_t value) {
  char text[24];
  return {text, WriteRightAligned10(text, value)};
}

}  // namespace routelet
