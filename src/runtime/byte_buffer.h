#pragma once
// Room for the bytes of a large file (a week's log runs to hundreds of megabytes).
#include <cstddef>
#include <memory>
#include <string_view>

namespace routelet {

// Bytes in storage that is not cleared when it is made, so that a file read into it is written
// once, by the read, and not first with zeros.
//
// No huge pages are asked for: on a shared machine, a gigabyte read into huge pages took from
// 0.5 to 3.2 s (the kernel compacting memory to find them), more than the faults they save.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  // Room for `capacity` bytes, none of them set yet.
  explicit ByteBuffer(std::size_t capacity);

  char* data() { return data_.get(); }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  std::string_view view() const { return {data_.get(), size_}; }

  // Room for at least `capacity` bytes; the bytes set so far are kept.
  void Reserve(std::size_t capacity);
  // The first `size` bytes, at most capacity(), are set.
  void SetSize(std::size_t size) { size_ = size; }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace routelet
