#pragma once
// Texts are held as UTF-8. Where a rule counts characters, it counts UTF-16 code units:
// one unit for a character below U+10000, two for one above. These helpers do that counting.
#include <cstddef>
#include <string>
#include <string_view>

namespace routelet {

// Number of UTF-16 code units of a UTF-8 text. Bytes that do not start a character count as none.
std::size_t Utf16Length(std::string_view text);

// The first `units` UTF-16 code units of a UTF-8 text, clamped at its end. A character of two
// units is kept only whole.
std::string_view Utf16Left(std::string_view text, std::size_t units);

// Appends the UTF-8 form of a code point (U+FFFD for a surrogate or a value past U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// The bytes with every ill-formed UTF-8 sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

}  // namespace routelet
