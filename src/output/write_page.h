#pragma once
// Naming the page after the log and writing it as UTF-8.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/page_text.h"
#include "runtime/parallel.h"

namespace routelet {

// The page's path: the log's path with its extension replaced by "." and `extension`, or that
// appended when the log's file name has no extension. Only a "." inside the file name (not its
// first character) starts an extension; dots in folder names do not.
std::string OutputPathFor(std::string_view logPath, std::string_view extension = "html");

// The bytes of the page in page order: its pieces made UTF-8 in place, any ill-formed UTF-8 (a
// file name that is not UTF-8) replaced by U+FFFD, on the threads `parallelism` allows. Piece by
// piece is as the whole page would be: a piece ends with a line end (or the page does), so no
// UTF-8 sequence spans two. An empty page becomes one blank.
std::vector<std::string_view> ToUtf8Bytes(PageText& page, const Parallelism& parallelism = {});

// Writes all of `pieces`, one after another, to `fd` in as few gathered writes as the system
// takes, going on after short writes and interruptions; false with errno set when it fails.
bool WriteAll(int fd, std::vector<std::string_view> pieces);

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
// The pieces are made UTF-8 on the threads `parallelism` allows and written in one gathered write.
std::optional<WriteError> WritePage(const std::string& pagePath, PageText page, std::string_view logPath,
                                    const Parallelism& parallelism = {});

}  // namespace routelet
