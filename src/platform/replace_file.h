#pragma once
// A file written whole and then put in place of the file of its name in one step: a reader sees
// the old file or the new one, never a part of either, and a run that ends meanwhile (failure,
// Ctrl+C, SIGTERM, SIGHUP, the console closed) leaves no temporary file behind.
//
// POSIX: the new file is made without a name (O_TMPFILE) where the file system allows, else
// under a temporary name beside the target; it takes the replaced file's permissions and owner,
// and the ending signals wait while it is named. (Its code still lives in
// src/output/write_page.cpp, which moves here next; only the Windows side is built from here.)
// Windows: a temporary file beside the target, marked to vanish if the process dies with it
// open, then MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), tried again for a
// while when another program holds the target open (most replaces fail with ACCESS_DENIED
// while a reader has it open); a console control handler removes it on Ctrl+C or close.
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace routelet::platform {

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
  // Puts the written file in place of the target (made when there was none). On failure the
  // target is as it was and no temporary file is left.
  std::optional<SystemError> Commit();

 private:
  void Discard();

  std::string target_;
  std::string temporary_;
  NativeFile file_ = kNoFile;
};

}  // namespace routelet::platform
