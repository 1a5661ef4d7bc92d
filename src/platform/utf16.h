#pragma once
// UTF-8 inside the program, UTF-16 at the Windows system calls: the one pair of conversions, and
// the one way to count characters where a Windows rule counts UTF-16 code units (a path's 260,
// a window text's length). Written without system calls, so both builds test the same code.
#include <cstddef>
#include <string>
#include <string_view>

namespace routelet::platform {

// Bytes that are not UTF-8 become U+FFFD, one per byte that begins no character.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates (which Windows file names may hold) become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
// How many UTF-16 code units the UTF-8 text becomes.
std::size_t Utf16Length(std::string_view utf8);

}  // namespace routelet::platform
