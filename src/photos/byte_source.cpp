#include "photos/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace routelet {

bool MemoryByteSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (!Fits(offset, out.size(), bytes_.size())) return false;
  if (out.empty()) return true;  // an empty span may have no storage to copy to
  std::memcpy(out.data(), bytes_.data() + offset, out.size());
  return true;
}

FileByteSource::FileByteSource(const std::string& path) {
  // O_NONBLOCK keeps a named pipe from stalling the open; such a file is refused below anyway.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
  size_ = static_cast<std::uint64_t>(info.st_size);
}

FileByteSource::~FileByteSource() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileByteSource::Read(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (fd_ < 0 || !Fits(offset, out.size(), size_)) return false;
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
    const ssize_t got = ::pread(fd_, out.data() + done, out.size() - done,
                                static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    // An error, or the end of a file that shrank after it was opened.
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace routelet
