#include "preview/exif_orientation.h"

#include <cstddef>
#include <cstdint>

#include "preview/jpeg_segments.h"

namespace routelet {
namespace {

constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::string_view kExifIdentifier{"Exif\0\0", 6};

// The TIFF block of the first APP1 segment holding Exif, before the image data; empty if none.
std::string_view ExifBlock(std::string_view bytes) {
  std::string_view block;
  WalkSegments(bytes, [&](const Segment& segment) {
    const std::string_view data = bytes.substr(segment.Data, segment.Length);
    if (segment.Marker != kApp1 || !data.starts_with(kExifIdentifier)) return false;
    block = data.substr(kExifIdentifier.size());
    return true;
  });
  return block;
}

}  // namespace

int ExifOrientation(std::string_view bytes) {
  const TiffReader tiff(ExifBlock(bytes));
  const auto directory = tiff.Unsigned(4, 4);
  const auto entries = directory ? tiff.Unsigned(*directory, 2) : std::nullopt;
  if (!entries) return 1;
  for (std::uint32_t i = 0; i < *entries; ++i) {
    const std::uint64_t entry = std::uint64_t{*directory} + 2 + 12 * std::uint64_t{i};
    const auto tag = tiff.Unsigned(entry, 2);
    // A SHORT: its value sits in the first two bytes of the value field.
    const auto value = tiff.Unsigned(entry + 8, 2);
    if (!tag || !value) break;
    if (*tag != kTagOrientation) continue;
    return *value >= 1 && *value <= 8 ? static_cast<int>(*value) : 1;
  }
  return 1;
}

}  // namespace routelet
