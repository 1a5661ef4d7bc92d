#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace routelet::platform {
namespace {

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kDirectory;
  if (S_ISFIFO(mode)) return FileKind::kFifo;
  if (S_ISCHR(mode)) return FileKind::kDevice;
  if (S_ISBLK(mode)) return FileKind::kDisk;
  if (S_ISSOCK(mode)) return FileKind::kSocket;
  return FileKind::kOther;
}

void Describe(const struct stat& info, FileStatus& status) {
  status.Kind = KindOf(info.st_mode);
  status.Size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  status.Identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  status.ModifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  status.ReadOnly = (info.st_mode & 0222) == 0;
}

// An anonymous pipe (what `<(command)` names as /dev/fd/N) had its writer from the start: when
// none is left, the content has ended. A named FIFO may have had none yet.
bool IsAnonymousPipe(int fd) {
  struct statfs system {};
  return ::fstatfs(fd, &system) == 0 && system.f_type == PIPEFS_MAGIC;
}

// Whether the FIFO open (without blocking) as `fd` has a writer, had one since it was opened, or
// has bytes to read; a byte read to find out goes to `first`. EINTR is taken as "not yet".
// 0, or the errno of a failed read.
int WriterCame(int fd, bool hangUpAtOpen, bool& came, std::string& first) {
  pollfd watch{fd, POLLIN, 0};
  const bool hungUp = ::poll(&watch, 1, 0) > 0 && (watch.revents & POLLHUP) != 0;
  char byte = 0;
  const ssize_t got = ::read(fd, &byte, 1);
  if (got == 1) first.push_back(byte);
  // Nothing to read with a writer there gives EAGAIN; with none, the end (0). A hang-up that was
  // not there at the open tells of a writer that came and went without writing.
  came = got == 1 || (got < 0 && errno == EAGAIN) || (got == 0 && hungUp && !hangUpAtOpen);
  return got < 0 && errno != EAGAIN && errno != EINTR ? errno : 0;
}

EntryType TypeOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return EntryType::kDirectory;
  if (S_ISREG(mode)) return EntryType::kRegular;
  return S_ISLNK(mode) ? EntryType::kLink : EntryType::kUnknown;
}

EntryType TypeOfDirent(unsigned char type) {
  switch (type) {
    case DT_UNKNOWN: return EntryType::kUnknown;
    case DT_DIR: return EntryType::kDirectory;
    case DT_REG: return EntryType::kRegular;
    case DT_LNK: return EntryType::kLink;
    default: return EntryType::kOther;
  }
}

}  // namespace

std::string ErrorText(SystemError error) { return std::strerror(error); }

bool IsNotFoundError(SystemError error) { return error == ENOENT || error == ENOTDIR; }

bool IsPermissionError(SystemError error) { return error == EACCES || error == EPERM; }

SystemError ErrorFor(KnownError error) { return error == KnownError::kIsADirectory ? EISDIR : ENOMEM; }

NativeFile OpenForReading(const std::string& path, bool nonBlocking, SystemError& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (nonBlocking ? O_NONBLOCK : 0));
  if (fd < 0) error = errno;
  return fd < 0 ? kNoFile : fd;
}

void CloseFile(NativeFile file) {
  if (file != kNoFile) ::close(static_cast<int>(file));
}

bool CloseFile(NativeFile file, SystemError& error) {
  if (::close(static_cast<int>(file)) == 0) return true;
  error = errno;
  return false;
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

// Some systems report a hang-up at once on a FIFO that never had a writer, so poll() alone
// cannot wait for one.
WriterWait AwaitFifoWriter(NativeFile file, std::chrono::milliseconds wait, std::string& first, SystemError& error) {
  const int fd = static_cast<int>(file);
  if (IsAnonymousPipe(fd)) return WriterWait::kCame;
  constexpr auto kStep = std::chrono::milliseconds(20);
  pollfd atOpen{fd, POLLIN, 0};
  const bool hangUpAtOpen = ::poll(&atOpen, 1, 0) > 0 && (atOpen.revents & POLLHUP) != 0;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    bool came = false;
    if (const int failure = WriterCame(fd, hangUpAtOpen, came, first); failure != 0) {
      error = failure;
      return WriterWait::kFailed;
    }
    if (came) return WriterWait::kCame;
    if (std::chrono::steady_clock::now() >= deadline) return WriterWait::kNoWriter;
    pollfd watch{fd, POLLIN, 0};
    if (::poll(&watch, 1, static_cast<int>(kStep.count())) > 0 && (watch.revents & POLLIN) == 0) {
      ::poll(nullptr, 0, static_cast<int>(kStep.count()));  // a hang-up that stays: wait the step out
    }
  }
}

bool MakeBlocking(NativeFile file, SystemError& error) {
  const int fd = static_cast<int>(file);
  if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    error = errno;
    return false;
  }
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

NativeFile OpenForWritingNow(const std::string& path, SystemError& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) error = errno;
  return fd < 0 ? kNoFile : fd;
}

bool IsNoReaderError(SystemError error) { return error == ENXIO; }

NativeFile StandardStream(int number) { return number; }

bool MayWrite(const std::string& path, SystemError& error) {
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) return true;
  error = errno;
  return false;
}

bool SetModifiedTime(NativeFile file, std::int64_t modifiedNs, SystemError& error) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, {modifiedNs / 1000000000, modifiedNs % 1000000000}};
  if (::futimens(static_cast<int>(file), times) == 0) return true;
  error = errno;
  return false;
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

bool ReadFolder(const std::string& path, std::vector<FolderEntry>& entries, FileIdentity& identity) {
  DIR* folder = ::opendir(path.c_str());
  if (folder == nullptr) return false;
  struct stat info {};
  if (::fstat(::dirfd(folder), &info) == 0) {
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  }
  errno = 0;
  for (const dirent* entry = ::readdir(folder); entry != nullptr; entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") entries.push_back({std::string(name), TypeOfDirent(entry->d_type)});
    errno = 0;
  }
  const bool complete = errno == 0;
  ::closedir(folder);
  return complete;
}

EntryType EntryTypeOf(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? TypeOfMode(info.st_mode) : EntryType::kUnknown;
}

bool IsReadableFolder(const std::string& path) {
  DIR* folder = ::opendir(path.c_str());
  if (folder == nullptr) return false;
  ::closedir(folder);
  return ::access(path.c_str(), X_OK) == 0;
}

// Linux paths are bytes; the program's are UTF-8 already.
std::filesystem::path NativePath(std::string_view utf8) { return std::filesystem::path(utf8); }
std::string Utf8Path(const std::filesystem::path& path) { return path.string(); }

}  // namespace routelet::platform
