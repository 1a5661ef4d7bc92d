#pragma once
// Random-access reads of a byte sequence that may be untrusted: every read states where and how
// much, and a read that does not lie wholly inside the sequence fails instead of reading past it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace routelet {

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Number of bytes in the sequence.
  virtual std::uint64_t Size() const = 0;

  // Fills `out` with the bytes at `offset`. False when those bytes do not all lie inside the
  // sequence or cannot be read; `out` may then hold anything.
  virtual bool Read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;

 protected:
  // True when [offset, offset + length) lies inside a sequence of `size` bytes; never overflows.
  static bool Fits(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
  }
};

// Bytes already in memory. The view must outlive the source.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}

  std::uint64_t Size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  std::string_view bytes_;
};

// A regular file opened for reading. Reads go through one small window of the file, so a
// reader that hops between nearby offsets makes few system calls and never holds more than the
// window in memory, however large the file. Anything but a regular file (a folder, a device, a
// pipe) opens as an empty source, as does a file that cannot be opened.
class FileByteSource final : public ByteSource {
 public:
  static constexpr std::size_t kWindowSize = 4096;

  explicit FileByteSource(const std::string& path);
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, std::span<std::uint8_t> out) override;
  // The file as it was opened: size and last change.
  const platform::FileStatus& Status() const { return status_; }

 private:
  // Reads exactly `out.size()` bytes at `offset` from the file, retrying short reads.
  bool ReadFromFile(std::uint64_t offset, std::span<std::uint8_t> out) const;

  platform::NativeFile file_ = platform::kNoFile;
  std::uint64_t size_ = 0;
  platform::FileStatus status_;
  std::array<std::uint8_t, kWindowSize> window_{};
  std::uint64_t windowStart_ = 0;
  std::size_t windowLength_ = 0;  // 0: nothing held yet
};

}  // namespace routelet
