#include "runtime/base64.h"

#include <cstdint>

namespace routelet {

void WriteBase64(char* to, std::string_view bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = (std::uint32_t{static_cast<std::uint8_t>(bytes[i])} << 16) |
                                (std::uint32_t{static_cast<std::uint8_t>(bytes[i + 1])} << 8) |
                                static_cast<std::uint8_t>(bytes[i + 2]);
    *to++ = kDigits[group >> 18];
    *to++ = kDigits[(group >> 12) & 63];
    *to++ = kDigits[(group >> 6) & 63];
    *to++ = kDigits[group & 63];
  }
  if (i < bytes.size()) {
    const bool two = i + 1 < bytes.size();
    const std::uint32_t group = (std::uint32_t{static_cast<std::uint8_t>(bytes[i])} << 16) |
                                (two ? std::uint32_t{static_cast<std::uint8_t>(bytes[i + 1])} << 8 : 0);
    *to++ = kDigits[group >> 18];
    *to++ = kDigits[(group >> 12) & 63];
    *to++ = two ? kDigits[(group >> 6) & 63] : '=';
    *to++ = '=';
  }
}

void AppendBase64(std::string& out, std::string_view bytes) {
  const std::size_t start = out.size();
  out.resize(start + Base64Length(bytes.size()));
  WriteBase64(out.data() + start, bytes);
}

std::string DataUriStart(std::string_view mediaType) {
  std::string start = "data:";
  start += mediaType;
  start += ";base64,";
  return start;
}

std::string DataUri(std::string_view mediaType, std::string_view bytes) {
  std::string uri = DataUriStart(mediaType);
  AppendBase64(uri, bytes);
  return uri;
}

}  // namespace routelet
