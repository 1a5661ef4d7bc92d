#include "platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace routelet::platform {

std::optional<std::string> DecodeCodePage932(std::string_view bytes) {
  std::string out;
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  out.resize(bytes.size() * 3 + 16);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) break;  // cannot happen: three bytes out per byte in is enough
    // EILSEQ or EINVAL: an undecodable or cut-off byte. Replace it and go on after it.
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    if (outLeft < 3) break;
    std::memcpy(outPtr, kReplacement, 3);
    outPtr += 3;
    outLeft -= 3;
    ++in;
    --inLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace routelet::platform
