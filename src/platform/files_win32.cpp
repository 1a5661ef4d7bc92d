#include "platform/files.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <mutex>

#include "platform/win32.h"

#include <io.h>

namespace routelet::platform {
namespace {

HANDLE AsHandle(NativeFile file) { return reinterpret_cast<HANDLE>(file); }

FileKind KindOf(DWORD attributes, DWORD type) {
  if (type == FILE_TYPE_CHAR) return FileKind::kDevice;
  if (type == FILE_TYPE_PIPE) return FileKind::kFifo;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::kDirectory;
  return FileKind::kRegular;
}

// ReadFile at an offset moves a synchronous handle's position, which ReadNext reads from (a log
// cut short while its chunks were read is read again whole that way). ReadAt puts the position
// back, holding this lock so that two reads of one handle at once do not put back each other's;
// Windows runs the reads of one synchronous handle one at a time anyway.
std::mutex& PositionLockOf(HANDLE file) {
  static std::mutex locks[16];
  return locks[(reinterpret_cast<std::uintptr_t>(file) >> 4) % std::size(locks)];
}

}  // namespace

std::string ErrorText(SystemError error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text != nullptr ? text : L"", length);
  LocalFree(text);
  // The system's texts end in ".\r\n"; messages put their own ending.
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.')) {
    message.pop_back();
  }
  return message.empty() ? "error " + std::to_string(error) : Narrow(message);
}

bool IsNotFoundError(SystemError error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool IsPermissionError(SystemError error) { return error == ERROR_ACCESS_DENIED; }

// A folder opened as a file is refused as Windows refuses it.
SystemError ErrorFor(KnownError error) {
  return error == KnownError::kIsADirectory ? ERROR_ACCESS_DENIED : ERROR_NOT_ENOUGH_MEMORY;
}

// Windows has no FIFOs in its file system: a pipe opened by name (\\.\pipe\...) has its server.
WriterWait AwaitFifoWriter(NativeFile, std::chrono::milliseconds, std::string&, SystemError&) { return WriterWait::kCame; }

bool MakeBlocking(NativeFile, SystemError&) { return true; }

NativeFile OpenForReading(const std::string& path, bool, SystemError& error) {
  // Others may go on writing, renaming or deleting the file while it is read, as on POSIX.
  // FILE_FLAG_BACKUP_SEMANTICS lets a folder open too, so that it is told apart as one.
  const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = static_cast<SystemError>(GetLastError());
    return kNoFile;
  }
  return reinterpret_cast<NativeFile>(handle);
}

void CloseFile(NativeFile file) {
  if (file != kNoFile) CloseHandle(AsHandle(file));
}

bool CloseFile(NativeFile file, SystemError& error) {
  if (CloseHandle(AsHandle(file))) return true;
  error = static_cast<SystemError>(GetLastError());
  return false;
}

bool StatusOf(NativeFile file, FileStatus& status, SystemError& error) {
  BY_HANDLE_FILE_INFORMATION info{};
  const DWORD type = GetFileType(AsHandle(file));
  if (type != FILE_TYPE_DISK) {
    status = {KindOf(0, type), 0, {}, 0, false};
    return true;
  }
  if (!GetFileInformationByHandle(AsHandle(file), &info)) {
    error = static_cast<SystemError>(GetLastError());
    return false;
  }
  status.Kind = KindOf(info.dwFileAttributes, type);
  status.Size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  status.Identity = {info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  status.ReadOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  return true;
}

bool StatusOfPath(const std::string& path, FileStatus& status, SystemError& error) {
  const NativeFile file = OpenForReading(path, false, error);
  if (file == kNoFile) {
    // A file that others hold open without sharing, or that may not be read, still exists: its
    // attributes tell its kind (but not its identity).
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (IsNotFoundError(error) || !GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
      return false;
    }
    status = {KindOf(data.dwFileAttributes, FILE_TYPE_DISK),
              (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, {}, 0,
              (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0};
    return true;
  }
  const bool known = StatusOf(file, status, error);
  CloseFile(file);
  return known;
}

std::ptrdiff_t ReadAt(NativeFile file, std::uint64_t offset, std::span<std::uint8_t> out, SystemError& error) {
  // ReadFile with an OVERLAPPED offset on a synchronous handle reads there, and moves the handle's
  // position: it is put back afterwards.
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(out.size(), 1u << 30));
  DWORD got = 0;
  const std::lock_guard holding(PositionLockOf(AsHandle(file)));
  LARGE_INTEGER position{};
  const bool positioned = SetFilePointerEx(AsHandle(file), LARGE_INTEGER{}, &position, FILE_CURRENT);
  const bool read = ReadFile(AsHandle(file), out.data(), wanted, &got, &at);
  const DWORD failure = GetLastError();
  if (positioned) SetFilePointerEx(AsHandle(file), position, nullptr, FILE_BEGIN);
  if (!read) {
    if (failure == ERROR_HANDLE_EOF) return 0;
    error = static_cast<SystemError>(failure);
    return -1;
  }
  return static_cast<std::ptrdiff_t>(got);
}

std::ptrdiff_t ReadNext(NativeFile file, std::span<std::uint8_t> out, SystemError& error) {
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(out.size(), 1u << 30));
  DWORD got = 0;
  if (!ReadFile(AsHandle(file), out.data(), wanted, &got, nullptr)) {
    const DWORD failure = GetLastError();
    if (failure == ERROR_BROKEN_PIPE || failure == ERROR_HANDLE_EOF) return 0;
    error = static_cast<SystemError>(failure);
    return -1;
  }
  return static_cast<std::ptrdiff_t>(got);
}

NativeFile OpenExistingForWriting(const std::string& path, SystemError& error) {
  const HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = static_cast<SystemError>(GetLastError());
    return kNoFile;
  }
  return reinterpret_cast<NativeFile>(handle);
}

NativeFile OpenForWritingNow(const std::string& path, SystemError& error) { return OpenExistingForWriting(path, error); }

// A named pipe whose every instance is taken, or with no server.
bool IsNoReaderError(SystemError error) { return error == ERROR_PIPE_BUSY || error == ERROR_PIPE_NOT_CONNECTED; }

NativeFile StandardStream(int number) {
  const DWORD which = number == 0 ? STD_INPUT_HANDLE : number == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
  if (number > 2) return static_cast<NativeFile>(_get_osfhandle(number));
  return reinterpret_cast<NativeFile>(GetStdHandle(which));
}

bool MayWrite(const std::string& path, SystemError& error) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = static_cast<SystemError>(GetLastError());
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return true;
  error = ERROR_ACCESS_DENIED;
  return false;
}

bool SetModifiedTime(NativeFile file, std::int64_t modifiedNs, SystemError& error) {
  // FILETIME counts 100 ns steps from 1601.
  const std::uint64_t ticks = static_cast<std::uint64_t>(modifiedNs / 100) + 116444736000000000ull;
  FILETIME written{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  if (SetFileTime(AsHandle(file), nullptr, nullptr, &written)) return true;
  error = static_cast<SystemError>(GetLastError());
  return false;
}

bool WriteAll(NativeFile file, std::string_view bytes, SystemError& error) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!WriteFile(AsHandle(file), bytes.data(), size, &written, nullptr)) {
      error = static_cast<SystemError>(GetLastError());
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool IsExecutableFile(const std::string& path) {
  FileStatus status;
  SystemError error = 0;
  return StatusOfPath(path, status, error) && status.Kind == FileKind::kRegular;
}

bool ReadFolder(const std::string& path, std::vector<FolderEntry>& entries, FileIdentity& identity) {
  SystemError error = 0;
  FileStatus status;
  if (StatusOfPath(path, status, error)) identity = status.Identity;
  WIN32_FIND_DATAW found{};
  std::wstring pattern = Wide(path);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const DWORD attributes = found.dwFileAttributes;
    const EntryType type = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryType::kLink
                           : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0   ? EntryType::kDirectory
                                                                            : EntryType::kRegular;
    entries.push_back({Narrow(name), type});
  } while (FindNextFileW(search, &found));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return complete;
}

EntryType EntryTypeOf(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryType::kUnknown;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return EntryType::kLink;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryType::kDirectory : EntryType::kRegular;
}

bool IsReadableFolder(const std::string& path) {
  std::vector<FolderEntry> entries;
  FileIdentity identity;
  return EntryTypeOf(path) == EntryType::kDirectory && ReadFolder(path, entries, identity);
}

std::filesystem::path NativePath(std::string_view utf8) { return std::filesystem::path(Wide(utf8)); }
std::string Utf8Path(const std::filesystem::path& path) { return Narrow(path.native()); }

}  // namespace routelet::platform
