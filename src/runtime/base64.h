#pragma once
// Base64 (RFC 4648, with padding), as data: URIs carry bytes inside a page.
#include <cstddef>
#include <string>
#include <string_view>

namespace routelet {

// How many characters `byteCount` bytes take in Base64.
constexpr std::size_t Base64Length(std::size_t byteCount) { return (byteCount + 2) / 3 * 4; }

// Writes `bytes` in Base64 at `to`, which has room for Base64Length(bytes.size()) characters.
void WriteBase64(char* to, std::string_view bytes);

// Appends `bytes` in Base64 to `out`.
void AppendBase64(std::string& out, std::string_view bytes);

// "data:MEDIATYPE;base64,": what a data: URI's Base64 follows.
std::string DataUriStart(std::string_view mediaType);

// "data:MEDIATYPE;base64,..." for `bytes`.
std::string DataUri(std::string_view mediaType, std::string_view bytes);

}  // namespace routelet
