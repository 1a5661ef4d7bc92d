#pragma once
// Texts are held as UTF-8. Where a rule counts characters, it counts UTF-16 code units:
// one unit for a character below U+10000, two for one above. These helpers do that counting.
#include <cstddef>
#include <string>
#include <string_view>

namespace routelet {

// Number of UTF-16 code units of a UTF-8 text. Bytes that do not start a character count as none.
std::size_t Utf16Length(std::string_view text);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// The bytes with every ill-formed UTF-8 sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

}  // namespace routelet
