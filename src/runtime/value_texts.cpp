#include "runtime/value_texts.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace routelet {

std::string ShortestText(double value) {
  // Fixed notation of any double fits: at most 309 integer digits, or "0." and 324 fraction digits.
  char buffer[400];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (error != std::errc()) return {};
  return std::string(buffer, end);
}

std::string NumberText(double value, int fractionDigits) {
  const std::string shortest = ShortestText(value);
  std::string_view text = shortest;
  if (!std::isfinite(value) || text.empty()) return shortest;

  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  std::string integerDigits(text.substr(0, point));
  std::string fraction(point == std::string_view::npos ? std::string_view{} : text.substr(point + 1));

  const auto digits = static_cast<std::size_t>(fractionDigits);
  bool roundUp = fraction.size() > digits && fraction[digits] >= '5';
  fraction.resize(digits, '0');
  // Carry the rounding through the fraction and into the integer part.
  for (std::size_t i = fraction.size(); roundUp && i-- > 0;) {
    roundUp = fraction[i] == '9';
    fraction[i] = roundUp ? '0' : static_cast<char>(fraction[i] + 1);
  }
  for (std::size_t i = integerDigits.size(); roundUp && i-- > 0;) {
    roundUp = integerDigits[i] == '9';
    integerDigits[i] = roundUp ? '0' : static_cast<char>(integerDigits[i] + 1);
  }
  if (roundUp) integerDigits.insert(integerDigits.begin(), '1');

  const std::size_t firstNonZero = integerDigits.find_first_not_of('0');
  integerDigits.erase(0, firstNonZero == std::string::npos ? integerDigits.size() : firstNonZero);
  const bool isZero = integerDigits.empty() && fraction.find_first_not_of('0') == std::string::npos;

  std::string result;
  if (negative && !isZero) result.push_back('-');
  result += integerDigits;
  if (digits > 0) {
    result.push_back('.');
    result += fraction;
  }
  return result;
}

std::string RightAligned10(std::int64_t value) {
  std::string digits = std::to_string(value);
  if (digits.size() < 10) digits.insert(0, 10 - digits.size(), ' ');
  return digits;
}

}  // namespace routelet
