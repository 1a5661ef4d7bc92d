#include "runtime/large_buffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace routelet {

void ReserveLargeBuffer(std::string& buffer, std::size_t size) {
  constexpr std::size_t kHugePage = 2 * 1024 * 1024;
  buffer.reserve(size);
  if (size < 4 * kHugePage) return;
  const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
  const std::uintptr_t alignedStart = (start + kHugePage - 1) / kHugePage * kHugePage;
  const std::uintptr_t alignedEnd = (start + buffer.capacity()) / kHugePage * kHugePage;
  if (alignedEnd > alignedStart) {
    ::madvise(reinterpret_cast<void*>(alignedStart), alignedEnd - alignedStart, MADV_HUGEPAGE);
  }
}

}  // namespace routelet
