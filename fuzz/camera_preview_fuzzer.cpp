// Arbitrary bytes as a camera's photo: its headers, its frame size, its quality and where its
// preview lies.
#include <cstdint>
#include <string>
#include <string_view>

#include "photos/byte_source.h"
#include "preview/camera_preview.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace routelet;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  MemoryByteSource source(bytes);
  const std::string headers = JpegHeaders(source);
  // The headers are the file's own first bytes, and a preview found lies wholly inside the file.
  if (!bytes.starts_with(headers)) __builtin_trap();
  if (const auto range = CameraPreviewRange(headers, size)) {
    if (range->Offset > size || range->Size > size - range->Offset) __builtin_trap();
  }
  if (const auto frame = FrameOf(headers)) {
    if (frame->Width <= 0 || frame->Height <= 0) __builtin_trap();
  }
  if (const auto quality = EstimatedQuality(headers)) {
    if (*quality < 1 || *quality > 100) __builtin_trap();
  }
  // Leaving out metadata only ever leaves out.
  const std::string plain = WithoutMetadata(bytes);
  if (!plain.empty() && (plain.size() > size || !plain.starts_with(bytes.substr(0, 2)))) __builtin_trap();
  return 0;
}
