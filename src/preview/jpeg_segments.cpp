#include "preview/jpeg_segments.h"

namespace routelet {

bool IsJpeg(std::string_view bytes) {
  return bytes.size() >= 2 && ByteAt(bytes, 0) == kMarkerPrefix && ByteAt(bytes, 1) == kStartOfImage;
}

Walk WalkSegments(std::string_view bytes, const std::function<bool(const Segment&)>& visit) {
  std::size_t at = 2;  // after the start-of-image marker
  for (;;) {
    if (at + 4 > bytes.size()) return {at, at + 4};  // the next marker and its length
    if (ByteAt(bytes, at) != kMarkerPrefix) return {at, 0};
    const std::uint8_t marker = ByteAt(bytes, at + 1);
    if (marker == kStartOfScan || marker == kEndOfImage) return {at, 0};
    if (marker == kMarkerPrefix || IsStandaloneMarker(marker)) {  // a fill byte, or a marker alone
      at += marker == kMarkerPrefix ? 1 : 2;
      continue;
    }
    const std::size_t length = (std::size_t{ByteAt(bytes, at + 2)} << 8) | ByteAt(bytes, at + 3);
    if (length < 2) return {at, 0};
    if (length - 2 > bytes.size() - (at + 4)) return {at, std::uint64_t{at} + 2 + length + 4};
    if (visit(Segment{marker, at + 4, length - 2})) return {at, 0};
    at += 2 + length;
  }
}

bool TiffReader::Valid() const {
  return block_.substr(0, 4) == std::string_view("MM\0*", 4) || block_.substr(0, 4) == std::string_view("II*\0", 4);
}

std::optional<std::uint32_t> TiffReader::Unsigned(std::uint64_t at, int length) const {
  if (at > block_.size() || static_cast<std::uint64_t>(length) > block_.size() - at) return std::nullopt;
  std::uint32_t value = 0;
  for (int i = 0; i < length; ++i) value = (value << 8) | ByteAt(block_, at + (bigEndian_ ? i : length - 1 - i));
  return value;
}

}  // namespace routelet
