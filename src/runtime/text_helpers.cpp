#include "runtime/text_helpers.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace routelet {

namespace {

void AppendReplaced(std::string& out, std::string_view text, std::string_view find,
                    std::string_view replacement) {
  if (find.empty()) {
    out += text;
    return;
  }
  // Searching the result again right after an inserted replacement is the same as searching the
  // original text right after the occurrence it replaced, so one pass over the text suffices.
  std::size_t from = 0;
  for (std::size_t at = text.find(find); at != std::string_view::npos; at = text.find(find, from)) {
    out.append(text.substr(from, at - from));
    out.append(replacement);
    from = at + find.size();
  }
  out.append(text.substr(from));
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
  std::string out;
  out.reserve(text.size());
  AppendReplaced(out, text, find, replacement);
  return out;
}

bool ReplaceAllInPlace(std::string& text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return false;
  std::vector<std::size_t> matches;
  for (std::size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + find.size())) {
    matches.push_back(at);
  }
  if (matches.empty()) return false;
  const std::size_t oldSize = text.size();
  if (replacement.size() <= find.size()) {
    // Shrinking: move everything left, front to back; the write position never passes the read.
    std::size_t write = matches.front();
    for (std::size_t m = 0; m < matches.size(); ++m) {
      text.replace(write, replacement.size(), replacement);
      write += replacement.size();
      const std::size_t segmentStart = matches[m] + find.size();
      const std::size_t segmentEnd = m + 1 < matches.size() ? matches[m + 1] : oldSize;
      text.replace(write, segmentEnd - segmentStart, text, segmentStart, segmentEnd - segmentStart);
      write += segmentEnd - segmentStart;
    }
    text.resize(write);
    return true;
  }
  // Growing: make room at the end once, then move everything right, back to front.
  const std::size_t growth = (replacement.size() - find.size()) * matches.size();
  text.resize(oldSize + growth);
  char* data = text.data();
  std::size_t readEnd = oldSize;
  std::size_t writeEnd = oldSize + growth;
  for (std::size_t m = matches.size(); m-- > 0;) {
    const std::size_t segmentStart = matches[m] + find.size();
    const std::size_t segmentLength = readEnd - segmentStart;
    writeEnd -= segmentLength;
    std::memmove(data + writeEnd, data + segmentStart, segmentLength);
    writeEnd -= replacement.size();
    std::memcpy(data + writeEnd, replacement.data(), replacement.size());
    readEnd = matches[m];
  }
  return true;
}

namespace {

// Appends the pieces of `text` before each `delimiter` byte to `pieces`, while fewer than
// `maxPieces` - 1 are there; `start` is left where the rest begins. Log sentences are split at
// every comma, a few bytes apart: eight bytes are tested at a time, each comma found by its bit,
// where calling a library search per field would cost more than the search.
void SplitAtByte(std::string_view text, char delimiter, std::vector<std::string_view>& pieces, std::size_t maxPieces,
                 std::size_t& start) {
  const auto cut = [&](std::size_t at) {
    pieces.push_back(text.substr(start, at - start));
    start = at + 1;
  };
  std::size_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F;
    const std::uint64_t pattern = 0x0101010101010101 * static_cast<unsigned char>(delimiter);
    for (; at + 8 <= text.size() && pieces.size() + 1 < maxPieces; at += 8) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + at, sizeof word);
      const std::uint64_t zeroWhereFound = word ^ pattern;
      // The high bit of each byte that is zero here, and of no other (no carry crosses a byte).
      std::uint64_t found = ~(((zeroWhereFound & kLowBits) + kLowBits) | zeroWhereFound | kLowBits);
      for (; found != 0 && pieces.size() + 1 < maxPieces; found &= found - 1) {
        cut(at + static_cast<std::size_t>(std::countr_zero(found)) / 8);
      }
    }
  }
  for (; at < text.size() && pieces.size() + 1 < maxPieces; ++at) {
    if (text[at] == delimiter) cut(at);
  }
}

}  // namespace

void SplitFields(std::string_view text, std::string_view delimiter,
                 std::vector<std::string_view>& pieces, std::size_t maxPieces) {
  pieces.clear();
  std::size_t start = 0;
  if (delimiter.size() == 1) {
    SplitAtByte(text, delimiter.front(), pieces, maxPieces, start);
  } else if (!delimiter.empty()) {
    for (std::size_t at = text.find(delimiter); at != std::string_view::npos && pieces.size() + 1 < maxPieces;
         at = text.find(delimiter, start)) {
      pieces.push_back(text.substr(start, at - start));
      start = at + delimiter.size();
    }
  }
  pieces.push_back(text.substr(start));
}

std::vector<std::string_view> SplitFields(std::string_view text, std::string_view delimiter) {
  std::vector<std::string_view> pieces;
  SplitFields(text, delimiter, pieces);
  return pieces;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

}  // namespace routelet
