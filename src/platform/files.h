#pragma once
// Files as the system opens them: read-only handles read at any offset, what kind of entry a
// handle or path is, which file it is (to tell one file under two names), and the system's own
// text for an error. Paths are UTF-8 on every system; the Windows side turns them into UTF-16 at
// the call.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace routelet::platform {

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

// A system error: errno on POSIX, GetLastError() on Windows.
using SystemError = int;
// The system's text for the error, as strerror gives it on POSIX.
std::string ErrorText(SystemError error);
// True for the errors that mean no entry of that name exists (a folder on the way included).
bool IsNotFoundError(SystemError error);

enum class FileKind { kRegular, kDirectory, kFifo, kDevice, kSocket, kOther };

// Which file an entry is, whatever name it was reached by: device and inode on POSIX, volume
// serial number and file index on Windows.
struct FileIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t Index = 0;
  bool operator==(const FileIdentity&) const = default;
};

struct FileStatus {
  FileKind Kind = FileKind::kOther;
  std::uint64_t Size = 0;  // bytes; meaningful for regular files
  FileIdentity Identity;
};

// Opens `path` to read, or kNoFile with `error` set. With `nonBlocking` a FIFO does not stall the
// open (POSIX; Windows has no FIFOs in its file system).
NativeFile OpenForReading(const std::string& path, bool nonBlocking, SystemError& error);
void CloseFile(NativeFile file);

// What the open file is; false with `error` set when the system cannot tell.
bool StatusOf(NativeFile file, FileStatus& status, SystemError& error);
// What `path` names, links followed; false with `error` set when nothing or nothing reachable.
bool StatusOfPath(const std::string& path, FileStatus& status, SystemError& error);

// Reads up to `out.size()` bytes at `offset` without moving any shared position, so several
// threads may read one file at once: the count read, 0 at the end, -1 with `error` set.
// Interrupted reads are retried.
std::ptrdiff_t ReadAt(NativeFile file, std::uint64_t offset, std::span<std::uint8_t> out, SystemError& error);
// Reads up to `out.size()` bytes from the file's position (a FIFO's next bytes), as ReadAt counts.
std::ptrdiff_t ReadNext(NativeFile file, std::span<std::uint8_t> out, SystemError& error);

// Opens an existing `path` to write, without creating or truncating it (a device or FIFO the
// page is written to); kNoFile with `error` set.
NativeFile OpenExistingForWriting(const std::string& path, SystemError& error);
// Writes all of `bytes`, going on after short and interrupted writes; false with `error` set.
bool WriteAll(NativeFile file, std::string_view bytes, SystemError& error);

// True when `path` is a regular file this process may run as a program (POSIX: execute
// permission; Windows: any regular file, its extension deciding).
bool IsExecutableFile(const std::string& path);

// The path the system is given for a UTF-8 path (UTF-16 on Windows, never the ANSI code page),
// and back.
std::filesystem::path NativePath(std::string_view utf8);
std::string Utf8Path(const std::filesystem::path& path);

}  // namespace routelet::platform
