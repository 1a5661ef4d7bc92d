#include "runtime/value_texts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace routelet {

namespace {

// Fixed notation of any double fits: at most 309 integer digits, or "0." and 324 fraction digits.
using ShortestBuffer = char[400];

// ShortestText in `buffer`, without making a string (a page writes millions of numbers).
std::string_view ShortestInto(double value, ShortestBuffer& buffer) {
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (error != std::errc()) return {};
  return {buffer, static_cast<std::size_t>(end - buffer)};
}

}  // namespace

std::string ShortestText(double value) {
  ShortestBuffer buffer;
  return std::string(ShortestInto(value, buffer));
}

std::string NumberText(double value, int fractionDigits) {
  ShortestBuffer buffer;
  std::string_view text = ShortestInto(value, buffer);
  if (!std::isfinite(value) || text.empty()) return std::string(text);

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

  std::string result;
  if (negative && !isZero) result.push_back('-');
  result.append(kept, integerStart, integerEnd - integerStart);
  if (digits > 0) {
    result.push_back('.');
    result.append(kept, integerEnd, digits);
  }
  return result;
}

std::string RightAligned10(std::int64_t value) {
  std::string digits = std::to_string(value);
  if (digits.size() < 10) digits.insert(0, 10 - digits.size(), ' ');
  return digits;
}

}  // namespace routelet
