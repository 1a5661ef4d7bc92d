#include "runtime/byte_buffer.h"

#include <cstring>
#include <utility>

namespace routelet {

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
