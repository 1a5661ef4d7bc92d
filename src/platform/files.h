#pragma once
// Files as the system opens them: read-only handles read at any offset, what kind of entry a
// handle or path is, which file it is (to tell one file under two names), and the system's own
// text for an error. Paths are UTF-8 on every system; the Windows side turns them into UTF-16 at
// the call.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace routelet::platform {

// What separates the folders of a path: "/" on POSIX; "\\" and "/" alike on Windows.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "/\\";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

// A system error: errno on POSIX, GetLastError() on Windows.
using SystemError = int;
// The system's text for the error, as strerror gives it on POSIX.
std::string ErrorText(SystemError error);
// True for the errors that mean no entry of that name exists (a folder on the way included).
bool IsNotFoundError(SystemError error);
// True for the errors that mean the user may not do that (EACCES, EPERM; ACCESS_DENIED).
bool IsPermissionError(SystemError error);

// Errors the program finds itself, in the system's terms, so that they read as the system's.
enum class KnownError { kIsADirectory, kOutOfMemory };
SystemError ErrorFor(KnownError error);

// kDevice: a character device (a terminal, NUL); kDisk: a block device, which holds data.
enum class FileKind { kRegular, kDirectory, kFifo, kDevice, kDisk, kSocket, kOther };

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
  // Nanoseconds since 1970 of the last change of the content (POSIX; 0 on Windows, where
  // nothing needs it yet).
  std::int64_t ModifiedNs = 0;
  // Nobody may write it by its permissions (POSIX: no write bit at all, which binds even root
  // here) or its read-only attribute (Windows).
  bool ReadOnly = false;
};

// A file a run read: its path, and its identity as the open file told it (empty when the file
// could not be opened), so that it can be recognised later without looking the path up again.
struct InputFile {
  std::string Path;
  FileIdentity Identity;
};

// Opens `path` to read, or kNoFile with `error` set. With `nonBlocking` a FIFO does not stall the
// open (POSIX; Windows has no FIFOs in its file system).
NativeFile OpenForReading(const std::string& path, bool nonBlocking, SystemError& error);
void CloseFile(NativeFile file);
// Closes `file`; false with `error` set when the system reports a failure (of a delayed write).
bool CloseFile(NativeFile file, SystemError& error);

// What the open file is; false with `error` set when the system cannot tell.
bool StatusOf(NativeFile file, FileStatus& status, SystemError& error);
// What `path` names, links followed; false with `error` set when nothing or nothing reachable.
bool StatusOfPath(const std::string& path, FileStatus& status, SystemError& error);

// How waiting for a FIFO's writer ended.
enum class WriterWait { kCame, kNoWriter, kFailed };
// For a FIFO opened with `nonBlocking`: waits, a short step at a time, up to `wait` for a writer
// (open() itself would wait without end). A pipe that had its writer from the start (what
// `<(command)` names) needs no wait. A byte read to find out goes to `first`; kFailed sets `error`.
// Windows: a pipe that could be opened has its server, so kCame.
WriterWait AwaitFifoWriter(NativeFile file, std::chrono::milliseconds wait, std::string& first, SystemError& error);
// Reads and writes of a file opened without blocking wait for bytes (or room) again.
bool MakeBlocking(NativeFile file, SystemError& error);

// Reads up to `out.size()` bytes at `offset` without moving any shared position, so several
// threads may read one file at once: the count read, 0 at the end, -1 with `error` set.
// Interrupted reads are retried.
std::ptrdiff_t ReadAt(NativeFile file, std::uint64_t offset, std::span<std::uint8_t> out, SystemError& error);
// Reads up to `out.size()` bytes from the file's position (a FIFO's next bytes), as ReadAt counts.
std::ptrdiff_t ReadNext(NativeFile file, std::span<std::uint8_t> out, SystemError& error);

// Opens an existing `path` to write, without creating or truncating it (a device or FIFO the
// page is written to); kNoFile with `error` set.
NativeFile OpenExistingForWriting(const std::string& path, SystemError& error);
// Opens an existing FIFO or device `path` to write into without waiting for a reader: a FIFO
// with none fails at once with an error IsNoReaderError tells. The caller tries again while it
// will wait, then MakeBlocking.
NativeFile OpenForWritingNow(const std::string& path, SystemError& error);
bool IsNoReaderError(SystemError error);
// The open standard stream numbered `number` (0 in, 1 out, 2 error; others as POSIX numbers them).
NativeFile StandardStream(int number);
// True when this process may write `path` (its effective user on POSIX; not read-only on
// Windows); false with `error` set.
bool MayWrite(const std::string& path, SystemError& error);

// Sets the open file's time of last change to `modifiedNs` (nanoseconds since 1970), leaving its
// time of last access; false with `error` set.
bool SetModifiedTime(NativeFile file, std::int64_t modifiedNs, SystemError& error);

// Writes all of `bytes`, going on after short and interrupted writes; false with `error` set.
bool WriteAll(NativeFile file, std::string_view bytes, SystemError& error);

// True when `path` is a regular file this process may run as a program (POSIX: execute
// permission; Windows: any regular file, its extension deciding).
bool IsExecutableFile(const std::string& path);

// An entry of a folder as the folder tells it (kUnknown when it does not tell the type).
enum class EntryType { kUnknown, kDirectory, kRegular, kLink, kOther };
struct FolderEntry {
  std::string Name;
  EntryType Type = EntryType::kUnknown;
};
// The entries of the folder at `path` but "." and "..", read whole so that the folder is closed
// again before any other is opened; `identity` is set to the folder's. False when the folder
// could not be opened or not read to its end (the entries read before the failure are kept).
bool ReadFolder(const std::string& path, std::vector<FolderEntry>& entries, FileIdentity& identity);
// The type of the entry at `path` itself (a link not followed); kUnknown when it cannot be told.
EntryType EntryTypeOf(const std::string& path);
// True when the folder at `path` may be listed and its entries reached.
bool IsReadableFolder(const std::string& path);

// The path the system is given for a UTF-8 path (UTF-16 on Windows, never the ANSI code page),
// and back.
std::filesystem::path NativePath(std::string_view utf8);
std::string Utf8Path(const std::filesystem::path& path);

}  // namespace routelet::platform
