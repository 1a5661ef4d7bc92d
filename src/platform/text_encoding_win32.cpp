#include "platform/text_encoding.h"

#include "platform/win32.h"

namespace routelet::platform {
namespace {

constexpr UINT kShiftJis = 932;

// The UTF-16 of `bytes` when every byte belongs to a character of the code page; false otherwise.
bool DecodeStrictly(std::string_view bytes, std::wstring& out) {
  if (bytes.empty()) return true;
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return false;
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(length));
  return MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data() + start, length) == length;
}

}  // namespace

std::optional<std::string> DecodeCodePage932(std::string_view bytes) {
  std::wstring wide;
  wide.reserve(bytes.size());
  if (DecodeStrictly(bytes, wide)) return Narrow(wide);
  // One character at a time: a lead byte with its trail byte, else the byte alone; a byte that
  // starts neither becomes U+FFFD and the next byte starts afresh.
  wide.clear();
  for (std::size_t i = 0; i < bytes.size();) {
    const bool lead = IsDBCSLeadByteEx(kShiftJis, static_cast<BYTE>(bytes[i])) != 0;
    if (lead && i + 1 < bytes.size() && DecodeStrictly(bytes.substr(i, 2), wide)) {
      i += 2;
    } else if (!lead && DecodeStrictly(bytes.substr(i, 1), wide)) {
      i += 1;
    } else {
      wide += L'\uFFFD';
      i += 1;
    }
  }
  return Narrow(wide);
}

}  // namespace routelet::platform
