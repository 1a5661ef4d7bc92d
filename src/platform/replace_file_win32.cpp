#include "platform/replace_file.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <random>

#include "platform/win32.h"

namespace routelet::platform {
namespace {

// The temporary file that has been closed but not yet moved into place, for the console control
// handler to remove: while it is open, the delete disposition set on it removes it at any end.
std::mutex gNamedLock;
std::wstring gNamedTemporary;

BOOL WINAPI RemoveTemporaryOnConsoleEnd(DWORD) {
  // Waits for a replace in progress: then the temporary is either in place or already gone.
  const std::lock_guard<std::mutex> lock(gNamedLock);
  if (!gNamedTemporary.empty()) DeleteFileW(gNamedTemporary.c_str());
  gNamedTemporary.clear();
  return FALSE;  // the default handler then ends the process
}

void InstallConsoleHandlerOnce() {
  static const bool installed = SetConsoleCtrlHandler(RemoveTemporaryOnConsoleEnd, TRUE) != 0;
  (void)installed;
}

HANDLE AsHandle(NativeFile file) { return reinterpret_cast<HANDLE>(file); }

bool MarkForDeletion(NativeFile file, bool deleteIt) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = deleteIt ? TRUE : FALSE;
  return SetFileInformationByHandle(AsHandle(file), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  if (separator == std::string::npos) return ".";
  return path.substr(0, separator == 0 || (separator == 2 && path[1] == ':') ? separator + 1 : separator);
}

// Another program has the target open: its reader will let go soon.
bool IsHeldByAnother(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION; }

}  // namespace

ReplacementFile::~ReplacementFile() { Discard(); }

std::optional<SystemError> ReplacementFile::Create(const std::string& target) {
  InstallConsoleHandlerOnce();
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::minstd_rand random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                                GetCurrentProcessId()));
  const std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = folder + (folder.back() == '/' || folder.back() == '\\' ? "" : "\\") + ".rl";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % kLetters.size()];
    const HANDLE handle = CreateFileW(Wide(name).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      return static_cast<SystemError>(error);
    }
    target_ = target;
    temporary_ = name;
    file_ = reinterpret_cast<NativeFile>(handle);
    // Should the process end before Commit, closing the handle removes the file.
    if (!MarkForDeletion(file_, true)) {
      const SystemError error = static_cast<SystemError>(GetLastError());
      Discard();
      return error;
    }
    return std::nullopt;
  }
  return static_cast<SystemError>(ERROR_FILE_EXISTS);
}

bool ReplacementFile::Write(std::string_view bytes, SystemError& error) { return WriteAll(file_, bytes, error); }

std::optional<SystemError> ReplacementFile::Commit() {
  const std::wstring temporary = Wide(temporary_);
  {
    const std::lock_guard<std::mutex> lock(gNamedLock);
    if (!MarkForDeletion(file_, false)) {
      const SystemError error = static_cast<SystemError>(GetLastError());
      Discard();
      return error;
    }
    gNamedTemporary = temporary;
  }
  const bool closed = CloseHandle(AsHandle(file_)) != 0;
  file_ = kNoFile;
  DWORD error = closed ? ERROR_SUCCESS : GetLastError();
  const std::wstring target = Wide(target_);
  for (int attempt = 0; closed && attempt < kReplaceAttempts; ++attempt) {
    if (attempt > 0) Sleep(kMillisecondsBetweenAttempts);
    const std::lock_guard<std::mutex> lock(gNamedLock);
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      gNamedTemporary.clear();
      temporary_.clear();
      return std::nullopt;
    }
    error = GetLastError();
    if (!IsHeldByAnother(error)) break;
  }
  Discard();
  // A page still held after the retries is told as in use by another program (the system's
  // clearest text for it), not as access denied, which sounds like missing rights.
  return static_cast<SystemError>(IsHeldByAnother(error) ? ERROR_SHARING_VIOLATION : error);
}

std::optional<SystemError> ReplaceFileWith(const std::string& target, const std::string&, const WriteContent& writeContent) {
  ReplacementFile replacement;
  if (auto problem = replacement.Create(target)) return problem;
  SystemError error = 0;
  if (!writeContent(replacement.File(), error)) return error;  // the destructor removes the temporary
  return replacement.Commit();
}

void ReplacementFile::Discard() {
  const std::lock_guard<std::mutex> lock(gNamedLock);
  if (file_ != kNoFile) {
    MarkForDeletion(file_, true);
    CloseHandle(AsHandle(file_));
    file_ = kNoFile;
  } else if (!temporary_.empty()) {
    DeleteFileW(Wide(temporary_).c_str());
  }
  gNamedTemporary.clear();
  temporary_.clear();
}

}  // namespace routelet::platform
