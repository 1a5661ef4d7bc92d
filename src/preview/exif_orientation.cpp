#include "preview/exif_orientation.h"

#include <cstddef>
#include <cstdint>

namespace routelet {
namespace {

constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::string_view kExifIdentifier{"Exif\0\0", 6};

// Reads bytes of a TIFF block in its own byte order; every offset is checked against the block.
class Tiff {
 public:
  explicit Tiff(std::string_view block) : block_(block), bigEndian_(block.substr(0, 2) == "MM") {}

  bool Has(std::size_t at, std::size_t length) const { return at <= block_.size() && length <= block_.size() - at; }
  std::uint32_t Unsigned(std::size_t at, int length) const {
    std::uint32_t value = 0;
    for (int i = 0; i < length; ++i) {
      const auto byte = static_cast<std::uint8_t>(block_[at + (bigEndian_ ? i : length - 1 - i)]);
      value = (value << 8) | byte;
    }
    return value;
  }

 private:
  std::string_view block_;
  bool bigEndian_;
};

// The TIFF block of the first APP1 segment holding Exif, before the image data; empty if none.
std::string_view ExifBlock(std::string_view bytes) {
  std::size_t at = 2;  // after the start-of-image marker
  while (at + 4 <= bytes.size() && static_cast<std::uint8_t>(bytes[at]) == 0xFF) {
    const auto marker = static_cast<std::uint8_t>(bytes[at + 1]);
    if (marker == 0xDA || marker == 0xD9) break;  // the image data, or its end
    const std::size_t length = (std::size_t{static_cast<std::uint8_t>(bytes[at + 2])} << 8) |
                               static_cast<std::uint8_t>(bytes[at + 3]);
    if (length < 2 || at + 2 + length > bytes.size()) break;
    const std::string_view data = bytes.substr(at + 4, length - 2);
    if (marker == 0xE1 && data.starts_with(kExifIdentifier)) return data.substr(kExifIdentifier.size());
    at += 2 + length;
  }
  return {};
}

}  // namespace

int ExifOrientation(std::string_view bytes) {
  const std::string_view block = ExifBlock(bytes);
  const Tiff tiff(block);
  if (!tiff.Has(0, 8)) return 1;
  const std::size_t directory = tiff.Unsigned(4, 4);
  if (!tiff.Has(directory, 2)) return 1;
  const std::size_t entries = tiff.Unsigned(directory, 2);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + 12 * i;
    if (!tiff.Has(entry, 12)) break;
    if (tiff.Unsigned(entry, 2) != kTagOrientation) continue;
    // A SHORT: its value sits in the first two bytes of the value field.
    const std::uint32_t value = tiff.Unsigned(entry + 8, 2);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

}  // namespace routelet
