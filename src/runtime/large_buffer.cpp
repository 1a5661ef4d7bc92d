#include "runtime/large_buffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace routelet {
namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;

void AdviseHugePages(const char* data, std::size_t size) {
  if (size < 4 * kHugePage) return;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t alignedStart = (start + kHugePage - 1) / kHugePage * kHugePage;
  const std::uintptr_t alignedEnd = (start + size) / kHugePage * kHugePage;
  if (alignedEnd > alignedStart) {
    ::madvise(reinterpret_cast<void*>(alignedStart), alignedEnd - alignedStart, MADV_HUGEPAGE);
  }
}

}  // namespace

void ReserveLargeBuffer(std::string& buffer, std::size_t size) {
  buffer.reserve(size);
  AdviseHugePages(buffer.data(), buffer.capacity());
}

// No huge pages here: a log of a gigabyte asks for hundreds at once, and where the kernel has to
// compact memory to find them, reading it took several times as long (seconds, now and then).
ByteBuffer::ByteBuffer(std::size_t capacity)
    : data_(std::make_unique_for_overwrite<char[]>(capacity)), capacity_(capacity) {}

void ByteBuffer::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  ByteBuffer larger(capacity);
  if (size_ > 0) std::memcpy(larger.data(), data_.get(), size_);
  larger.size_ = size_;
  *this = std::move(larger);
}

}  // namespace routelet
