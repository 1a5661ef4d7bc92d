#pragma once
// Naming the page after the log and writing it as UTF-8.
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "output/page_source.h"
#include "platform/files.h"
#include "runtime/parallel.h"

namespace routelet {

// The page's path: the log's path with its extension replaced by "." and `extension`, or that
// appended when the log's file name has no extension. Only a "." inside the file name (not its
// first character) starts an extension; dots in folder names do not.
std::string OutputPathFor(std::string_view logPath, std::string_view extension = "html");

// Writes the page's pieces to `file` in page order as UTF-8, any ill-formed UTF-8 (a file name
// that is not UTF-8) replaced by U+FFFD. The pieces are made on the threads `parallelism`
// allows, and each is written as soon as it and every piece before it are made (going on after
// short writes and interruptions), so that only pieces waiting for an earlier one are held. A page with no bytes at all is written as one
// blank. False, with `error` set, when a write fails; the pieces after it are not made.
// An exception from making a piece is kept in `failure` (and false returned), so that the
// caller can clean up before it goes on.
bool WritePieces(platform::NativeFile file, const PageSource& page, const Parallelism& parallelism,
                 std::exception_ptr& failure, platform::SystemError& error);

// Why a page was not written.
struct WriteError {
  enum class Problem {
    kWouldReplaceLog,    // the page's path reaches the log's own file
    kWouldReplaceInput,  // the page's path reaches another file the run reads: Input
    kWriteProtected,     // the page is there and the user may not write it
    kNotAFile,           // a device, socket or pipe is there, which only -o may name for writing into
    kNoReader,           // a pipe named with -o found no reader in time
    kCannotWrite,        // the file system refused; Reason says why
  };
  Problem Kind = Problem::kCannotWrite;
  std::string Reason;
  std::string Input;  // the path by which the run read the file at the page's path
};

// Writes the page to `pagePath` as UTF-8 bytes. The bytes go to a file in the same folder that
// then replaces the page in one step, so a failed or interrupted write (by any signal that ends
// a process by default) leaves an earlier page whole and no partial file behind. A page that
// replaces another takes its permissions, and its owner and group where the process may give
// them; a new page is no more open to the group and to others than the log (a private log gives
// a private page). Refuses to write over the log at `logPath` (by any path that reaches it) and
// over a page the user may not write.
// The pieces are made and written as WritePieces does.
std::optional<WriteError> WritePage(const std::string& pagePath, const PageSource& page, std::string_view logPath,
                                    const Parallelism& parallelism = {});

}  // namespace routelet
