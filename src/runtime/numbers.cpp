#include "runtime/numbers.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <limits>
#include <string>

#include "platform/c_numbers.h"

namespace routelet {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Copies the number at the start of `text` into `out` in the form from_chars reads: blanks
// removed, no "+" sign, "D" exponents as "E". Stops at the first character that cannot continue
// the number; an exponent marker without digits after it is left out.
void CollectNumber(std::string_view text, std::string& out) {
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') out.push_back('-');
    ++i;
  }
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      out.push_back(c);
    } else if (c == '.' && !point) {
      point = true;
      out.push_back(c);
    } else if (!IsBlank(c)) {
      break;
    }
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::string exponent = "e";
    ++i;
    skipBlanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      if (text[i] == '-') exponent.push_back('-');
      ++i;
    }
    const std::size_t before = exponent.size();
    for (; i < text.size() && (IsDigit(text[i]) || IsBlank(text[i])); ++i) {
      if (IsDigit(text[i])) exponent.push_back(text[i]);
    }
    if (exponent.size() > before) out += exponent;
  }
}

// The value of a text that is all [-]digits[.digits], when the digits, read as one integer, are
// a double exactly (below 2^53) and so is the power of ten that divides them: then the division,
// rounded once, gives the double nearest the text, as from_chars does, at a fraction of the
// cost. Receivers write every number that way. False, and nothing set, for any other text.
bool ExactPlainDecimal(std::string_view text, double& value) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9,
                                            1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
  constexpr int kMostDigits = 18;  // 10^18 - 1 < 2^63: no overflow while reading
  constexpr std::uint64_t kExactBelow = std::uint64_t{1} << 53;
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || !IsDigit(text.front())) return false;
  std::uint64_t digits = 0;
  int count = 0;
  int fractionDigits = -1;  // -1 until the point
  for (const char c : text) {
    if (IsDigit(c)) {
      if (++count > kMostDigits) return false;
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      if (fractionDigits >= 0) ++fractionDigits;
    } else if (c == '.' && fractionDigits < 0) {
      fractionDigits = 0;
    } else {
      return false;
    }
  }
  if (digits >= kExactBelow) return false;
  value = static_cast<double>(digits) / kPowersOfTen[std::max(fractionDigits, 0)];
  if (negative) value = -value;
  return true;
}

template <typename Int>
std::optional<Int> RoundToInt(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = std::nearbyint(value);  // the default rounding mode: ties to even
  // Both limits are powers of two, so they convert to double exactly.
  constexpr double kUpper = -static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double kLower = static_cast<double>(std::numeric_limits<Int>::min());
  if (rounded >= kUpper || rounded < kLower) return std::nullopt;
  return static_cast<Int>(rounded);
}

}  // namespace

double Val(std::string_view text) {
  double value = 0;
  if (ExactPlainDecimal(text, value)) return value;
  // Other numbers with no blanks or exponents are still read in one step.
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first != '+' && !IsBlank(*first)) {
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error == std::errc() && (end == last || (!IsBlank(*end) && *end != 'e' && *end != 'E' &&
                                                 *end != 'd' && *end != 'D' && *end != '.'))) {
      return value;
    }
  }
  std::string number;
  CollectNumber(text, number);
  if (number.empty()) return 0.0;
  // strtod in the "C" locale gives infinities and zeros for numbers out of a double's range;
  // the process's own locale (a desktop may set one with a decimal comma) must not matter.
  return platform::StrtodInCLocale(number.c_str());
}

std::optional<std::int32_t> ToInt32(double value) { return RoundToInt<std::int32_t>(value); }
std::optional<std::int64_t> ToInt64(double value) { return RoundToInt<std::int64_t>(value); }

}  // namespace routelet
