#pragma once
// Naming the page after the log and writing it as UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace routelet {

// The page's path: the log's path with its extension replaced by "." and `extension`, or that
// appended when the log's file name has no extension. Only a "." inside the file name (not its
// first character) starts an extension; dots in folder names do not.
std::string OutputPathFor(std::string_view logPath, std::string_view extension = "html");

// The bytes of the page: the text, with any ill-formed UTF-8 (a file name that is not UTF-8)
// replaced by U+FFFD; an empty text gives one blank.
std::string ToUtf8Bytes(std::string text);

// Why a page was not written.
struct WriteError {
  enum class Problem {
    kWouldReplaceLog,  // the page's path reaches the log's own file
    kWriteProtected,   // the page is there and the user may not write it
    kCannotWrite,      // the file system refused; Reason says why
  };
  Problem Kind = Problem::kCannotWrite;
  std::string Reason;
};

// Writes the page to `pagePath` as UTF-8 bytes. The bytes go to a file in the same folder that
// then replaces the page in one step, so a failed or interrupted write (SIGINT, SIGTERM, SIGHUP)
// leaves an earlier page whole and no partial file behind. A page that replaces another takes
// its permissions, and its owner and group where the process may give them. Refuses to write
// over the log at `logPath` (by any path that reaches it) and over a page the user may not write.
std::optional<WriteError> WritePage(const std::string& pagePath, std::string page, std::string_view logPath);

}  // namespace routelet
