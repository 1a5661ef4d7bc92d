#pragma once
// The kept sentences of a GPS log: views into the log's bytes, which the log owns.
#include <cstddef>
#include <string_view>
#include <vector>

#include "runtime/byte_buffer.h"

namespace routelet {

struct GpsLog {
  // The whole file, unconverted. The buffer owns its bytes on the heap, so moving the log never
  // moves the bytes the lines point into.
  ByteBuffer Bytes;
  std::vector<std::string_view> Lines;  // kept lines, in file order, without line endings

  std::size_t size() const { return Lines.size(); }
};

}  // namespace routelet
