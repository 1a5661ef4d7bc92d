#pragma once
// Base64 (RFC 4648, with padding), as data: URIs carry bytes inside a page.
#include <string>
#include <string_view>

namespace routelet {

// Appends `bytes` in Base64 to `out`.
void AppendBase64(std::string& out, std::string_view bytes);

// "data:MEDIATYPE;base64,..." for `bytes`.
std::string DataUri(std::string_view mediaType, std::string_view bytes);

}  // namespace routelet
