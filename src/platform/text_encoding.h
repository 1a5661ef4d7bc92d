#pragma once
// Texts in the encoding Japanese Windows saves them in: Shift_JIS as code page 932 has it.
#include <optional>
#include <string>
#include <string_view>

namespace routelet::platform {

// Code page 932 to UTF-8. A byte that begins no character of the code page becomes one U+FFFD
// and decoding goes on with the next byte, on both systems alike (iconv on POSIX;
// MultiByteToWideChar on Windows, byte by byte where the whole text does not decode, since its
// own lenient mode gives other characters for bad bytes).
// Nothing when the system cannot decode code page 932 at all (POSIX: iconv without CP932).
std::optional<std::string> DecodeCodePage932(std::string_view bytes);

}  // namespace routelet::platform
