#pragma once
// The kept sentences of a GPS log: views into the log's bytes, which the log owns.
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "runtime/large_buffer.h"

namespace routelet {

struct GpsLog {
  // The whole file, unconverted. Held through a pointer so that moving the log never moves the
  // bytes the lines point into.
  std::unique_ptr<const ByteBuffer> Bytes;
  std::vector<std::string_view> Lines;  // kept lines, in file order, without line endings

  std::size_t size() const { return Lines.size(); }
};

}  // namespace routelet
