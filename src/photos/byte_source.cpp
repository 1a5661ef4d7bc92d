#include "photos/byte_source.h"

#include <algorithm>
#include <cstring>

#include "platform/files.h"

namespace routelet {

bool MemoryByteSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (!Fits(offset, out.size(), bytes_.size())) return false;
  if (out.empty()) return true;  // an empty span may have no storage to copy to
  std::memcpy(out.data(), bytes_.data() + offset, out.size());
  return true;
}

FileByteSource::FileByteSource(const std::string& path) {
  // O_NONBLOCK keeps a named pipe from stalling the open; such a file is refused below anyway.
  platform::SystemError error = 0;
  const platform::NativeFile file = platform::OpenForReading(path, true, error);
  if (file == platform::kNoFile) return;
  platform::FileStatus status;
  if (!platform::StatusOf(file, status, error) || status.Kind != platform::FileKind::kRegular) {
    platform::CloseFile(file);
    return;
  }
  file_ = file;
  size_ = status.Size;
  status_ = status;
}

FileByteSource::~FileByteSource() { platform::CloseFile(file_); }

bool FileByteSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (file_ == platform::kNoFile || !Fits(offset, out.size(), size_)) return false;
  if (out.empty()) return true;
  if (out.size() > kWindowSize) return ReadFromFile(offset, out);

  const bool inWindow = offset >= windowStart_ && Fits(offset - windowStart_, out.size(), windowLength_);
  if (!inWindow) {
    // Refill the window from the requested offset: readers mostly move forward.
    const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, size_ - offset));
    windowLength_ = 0;
    if (!ReadFromFile(offset, std::span(window_).first(length))) return false;
    windowStart_ = offset;
    windowLength_ = length;
  }
  std::memcpy(out.data(), window_.data() + (offset - windowStart_), out.size());
  return true;
}

bool FileByteSource::ReadFromFile(std::uint64_t offset, std::span<std::uint8_t> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    platform::SystemError error = 0;
    const std::ptrdiff_t got = platform::ReadAt(file_, offset + done, out.subspan(done), error);
    // An error, or the end of a file that shrank after it was opened.
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace routelet
