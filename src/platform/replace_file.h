#pragma once
// A file written whole and then put in place of the file of its name in one step: a reader sees
// the old file or the new one, never a part of either, and a run that ends meanwhile (failure,
// Ctrl+C, SIGTERM, SIGHUP, the console closed) leaves no temporary file behind.
//
// POSIX: the new file is made without a name (O_TMPFILE) where the file system allows, else
// under a temporary name beside the target; it takes the replaced file's permissions and owner,
// and the ending signals wait while it is named.
// Windows: a temporary file beside the target, marked to vanish if the process dies with it
// open, then MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), tried again for a
// while when another program holds the target open (most replaces fail with ACCESS_DENIED
// while a reader has it open); a console control handler removes it on Ctrl+C or close.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace routelet::platform {

// Writes the new file's bytes into `file`; false with `error` set when that fails.
using WriteContent = std::function<bool(NativeFile file, SystemError& error)>;

// Writes a new file with `writeContent` and puts it in place of `target` (made when there was
// none) in one step; nothing, or why not. On failure the target is as it was and no temporary
// file is left. The new file keeps a replaced file's permissions (and, where the process may
// give them, its owner and group); a new one gets read and write for all less the umask, less
// what the file at `permissionsFrom` does not grant its group and others (POSIX; nothing on
// Windows, where a new file takes its folder's rights).
std::optional<SystemError> ReplaceFileWith(const std::string& target, const std::string& permissionsFrom,
                                       const WriteContent& writeContent);

#ifdef _WIN32
// The Windows side, step by step.
class ReplacementFile {
 public:
  // How long Commit goes on trying while another program holds the target open.
  static constexpr int kReplaceAttempts = 40;
  static constexpr int kMillisecondsBetweenAttempts = 50;

  ReplacementFile() = default;
  ~ReplacementFile();  // removes the temporary file unless it was committed
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Makes the new, empty file for `target`; nothing, or why not.
  std::optional<SystemError> Create(const std::string& target);
  // Appends all of `bytes`; false with `error` set.
  bool Write(std::string_view bytes, SystemError& error);
  // The new file, open for writing, between Create and Commit.
  NativeFile File() const { return file_; }
  // Puts the written file in place of the target (made when there was none). On failure the
  // target is as it was and no temporary file is left.
  std::optional<SystemError> Commit();

 private:
  void Discard();

  std::string target_;
  std::string temporary_;
  NativeFile file_ = kNoFile;
};
#endif

}  // namespace routelet::platform
