// Arbitrary bytes as a HEIF photo: its Exif item's tags from memory and from a file, and its
// preview from the file.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "photos/photo_formats_linked.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace routelet;
  using namespace routelet::linked;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<PhotoTags> inMemory = ReadHeifTagsFromBytes(bytes);
  fuzz::MemoryFile file(data, size);
  const std::optional<PhotoTags> fromFile = ReadHeifTags(file.Path());
  // Both ways of reading must agree, and a position read lies on the globe.
  if (inMemory.has_value() != fromFile.has_value()) __builtin_trap();
  if (inMemory && inMemory->Capture.Camera != fromFile->Capture.Camera) __builtin_trap();
  if (inMemory && inMemory->Gps && (std::fabs(inMemory->Gps->Lat) > 90 || std::fabs(inMemory->Gps->Lng) > 180)) __builtin_trap();
  const std::string preview = HeifPreviewUri(file.Path(), 64);
  if (!preview.empty() && !preview.starts_with("data:image/jpeg;base64,")) __builtin_trap();
  return 0;
}
