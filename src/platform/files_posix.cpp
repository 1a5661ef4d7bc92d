#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace routelet::platform {
namespace {

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kDirectory;
  if (S_ISFIFO(mode)) return FileKind::kFifo;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::kDevice;
  if (S_ISSOCK(mode)) return FileKind::kSocket;
  return FileKind::kOther;
}

void Describe(const struct stat& info, FileStatus& status) {
  status.Kind = KindOf(info.st_mode);
  status.Size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  status.Identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

std::string ErrorText(SystemError error) { return std::strerror(error); }

bool IsNotFoundError(SystemError error) { return error == ENOENT || error == ENOTDIR; }

NativeFile OpenForReading(const std::string& path, bool nonBlocking, SystemError& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (nonBlocking ? O_NONBLOCK : 0));
  if (fd < 0) error = errno;
  return fd < 0 ? kNoFile : fd;
}

void CloseFile(NativeFile file) {
  if (file != kNoFile) ::close(static_cast<int>(file));
}

bool StatusOf(NativeFile file, FileStatus& status, SystemError& error) {
  struct stat info {};
  if (::fstat(static_cast<int>(file), &info) != 0) {
    error = errno;
    return false;
  }
  Describe(info, status);
  return true;
}

bool StatusOfPath(const std::string& path, FileStatus& status, SystemError& error) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error = errno;
    return false;
  }
  Describe(info, status);
  return true;
}

std::ptrdiff_t ReadAt(NativeFile file, std::uint64_t offset, std::span<std::uint8_t> out, SystemError& error) {
  for (;;) {
    const ssize_t got = ::pread(static_cast<int>(file), out.data(), out.size(), static_cast<off_t>(offset));
    if (got >= 0) return got;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

std::ptrdiff_t ReadNext(NativeFile file, std::span<std::uint8_t> out, SystemError& error) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(file), out.data(), out.size());
    if (got >= 0) return got;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

NativeFile OpenExistingForWriting(const std::string& path, SystemError& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) error = errno;
  return fd < 0 ? kNoFile : fd;
}

bool WriteAll(NativeFile file, std::string_view bytes, SystemError& error) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(static_cast<int>(file), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) {
      error = errno;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Linux paths are bytes; the program's are UTF-8 already.
std::filesystem::path NativePath(std::string_view utf8) { return std::filesystem::path(utf8); }
std::string Utf8Path(const std::filesystem::path& path) { return path.string(); }

}  // namespace routelet::platform
