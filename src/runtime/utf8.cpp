#include "runtime/utf8.h"

#include <cstdint>

namespace routelet {
namespace {

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0 when it is ill-formed.
std::size_t SequenceLength(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const auto continuation = [&](std::size_t i) { return i < s.size() && (byte(i) & 0xC0) == 0x80; };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!continuation(1) || !continuation(2)) return 0;
    if (lead == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
    if (lead == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
    if (lead == 0xF0 && byte(1) < 0x90) return 0;   // overlong
    if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // past U+10FFFF
    return 4;
  }
  return 0;
}

// True when the `words` eight-byte words at `p` are all ASCII.
bool IsAsciiBlock(const char* p, std::size_t words) {
  std::uint64_t any = 0;
  for (std::size_t i = 0; i < words; ++i) {
    std::uint64_t word;
    __builtin_memcpy(&word, p + 8 * i, sizeof word);
    any |= word;
  }
  return (any & 0x8080808080808080ULL) == 0;
}

// Appends the UTF-8 form of a code point (U+FFFD for a surrogate or a value past U+10FFFF).
void AppendUtf8(std::string& out, char32_t cp) {
  if (cp >= 0xD800 && (cp <= 0xDFFF || cp > 0x10FFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b & 0xC0) != 0x80) units += (b >= 0xF0) ? 2 : 1;
  }
  return units;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Logs and pages are nearly all ASCII: skip 32 plain bytes at a time, then eight.
    if (i + 32 <= bytes.size() && IsAsciiBlock(bytes.data() + i, 4)) {
      i += 32;
      continue;
    }
    if (i + 8 <= bytes.size() && IsAsciiBlock(bytes.data() + i, 1)) {
      i += 8;
      continue;
    }
    const std::size_t n = SequenceLength(bytes.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string SanitizeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t n = SequenceLength(bytes.substr(i));
    if (n == 0) {
      AppendUtf8(out, 0xFFFD);
      ++i;
    } else {
      out.append(bytes.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace routelet
