#include "track/nmea_sentence.h"

#include <cstddef>
#include <optional>

namespace routelet {
namespace {

constexpr std::size_t kKindLength = 7;  // "$", the talker, the type and its comma: "$GPRMC,"

bool IsUpperAscii(char c) { return c >= 'A' && c <= 'Z'; }

std::optional<unsigned> HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return std::nullopt;
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

SentenceKind KindOfSentence(std::string_view line) {
  if (line.size() < kKindLength || line[0] != '$' || !IsUpperAscii(line[1]) ||
      !IsUpperAscii(line[2])) {
    return SentenceKind::kOther;
  }
  const std::string_view type = line.substr(3, 4);
  if (type == "RMC,") return SentenceKind::kPosition;
  if (type == "GGA,") return SentenceKind::kFix;
  return SentenceKind::kOther;
}

bool MayBeginTrackSentence(std::string_view start) {
  if (start.size() >= kKindLength) return KindOfSentence(start) != SentenceKind::kOther;
  const auto fits = [&](std::size_t i, auto&& test) { return i >= start.size() || test(start[i]); };
  const auto typeFits = [&](std::string_view type) { return start.size() <= 3 || type.starts_with(start.substr(3)); };
  return fits(0, [](char c) { return c == '$'; }) && fits(1, IsUpperAscii) && fits(2, IsUpperAscii) &&
         (typeFits("RMC,") || typeFits("GGA,"));
}

bool CheckSentence(std::string_view line, std::string_view& body) {
  body = line;
  const std::string_view trimmed = WithoutTrailingBlanks(line);
  const std::size_t size = trimmed.size();
  if (size < 4 || trimmed[size - 3] != '*') return true;  // "$" + "*hh" at the least
  const std::optional<unsigned> high = HexDigitValue(trimmed[size - 2]);
  const std::optional<unsigned> low = HexDigitValue(trimmed[size - 1]);
  if (!high || !low) return true;

  const std::size_t star = size - 3;
  unsigned sum = 0;
  for (std::size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(trimmed[i]);
  if (sum != (*high << 4 | *low)) return false;
  body = trimmed.substr(0, star);
  return true;
}

}  // namespace routelet
