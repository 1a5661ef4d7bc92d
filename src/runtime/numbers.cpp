#include "runtime/numbers.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

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
  // Fast path for the plain numbers that fill log fields: digits, one point, no blanks.
  double value = 0;
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
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(number.c_str(), nullptr, cLocale);
}

std::optional<std::int32_t> ToInt32(double value) { return RoundToInt<std::int32_t>(value); }
std::optional<std::int64_t> ToInt64(double value) { return RoundToInt<std::int64_t>(value); }

}  // namespace routelet
