#pragma once
// Texts are held as UTF-8: these helpers check and repair UTF-8 bytes, and count a text's
// characters where a rule counts them, in UTF-16 code units (one for a character below U+10000,
// two for one above).
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
