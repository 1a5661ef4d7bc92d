// Arbitrary bytes as a photo: the capture time and its offset, from memory and from a file.
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "photos/exif_reader.h"
#include "runtime/dates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace routelet;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  MemoryByteSource memory(bytes);
  const CaptureTime inMemory = ReadCaptureTime(memory);
  fuzz::MemoryFile file(data, size);
  const CaptureTime fromFile = ReadCaptureTime(file.Path());
  // Both ways of reading must agree, a date found must be writable as a date text, and an
  // offset comes only with a date.
  if (inMemory.Camera != fromFile.Camera || inMemory.OffsetMinutes != fromFile.OffsetMinutes) __builtin_trap();
  if (inMemory.Camera != 0 && DateText(inMemory.Camera).size() != 19) __builtin_trap();
  if (inMemory.Camera == 0 && inMemory.OffsetMinutes) __builtin_trap();
  return 0;
}
