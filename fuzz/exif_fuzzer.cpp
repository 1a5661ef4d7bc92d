// Arbitrary bytes as a photo: the capture time, from memory and from a file.
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "photos/exif_reader.h"
#include "runtime/dates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace routelet;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const DaySerial inMemory = ReadExifDateFromBytes(bytes);
  fuzz::MemoryFile file(data, size);
  const DaySerial fromFile = ReadExifDate(file.Path());
  // Both ways of reading must agree, and a date found must be writable as a date text.
  if (inMemory != fromFile) __builtin_trap();
  if (inMemory != 0 && DateText(inMemory).size() != 19) __builtin_trap();
  return 0;
}
