#pragma once
// Room for texts of hundreds of megabytes (a week's log, the page made from it).
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace routelet {

// Reserves room for `size` bytes in `buffer`. For large sizes it also asks the kernel for huge
// pages: left to itself the kernel maps such a buffer in 4 KiB pages and takes one fault per page
// as the buffer is first written, which costs more than the writing. Huge pages cut the faults
// by a factor of 512. Only the speed depends on it.
void ReserveLargeBuffer(std::string& buffer, std::size_t size);

// Bytes in storage that is not cleared when it is made, so that a file read into it is written
// once, by the read, and not first with zeros.
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
