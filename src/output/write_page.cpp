#include "output/write_page.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "runtime/files.h"
#include "runtime/utf8.h"

namespace routelet {
namespace {

// Writes all of `bytes` to `fd`, going on after short writes and interruptions.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// New files get the usual permissions: read and write for all, less the process's umask.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writes `bytes` to a temporary file beside `path` and renames it over `path`. On failure the
// temporary file is removed, `path` is untouched, and errno tells why.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  // No fsync: the rename already keeps an interrupted run from leaving half a page, and waiting
  // for the disk would double the time of a large conversion. Errors of delayed writes still
  // show at close.
  const bool written = ::fchmod(fd, NewFileMode()) == 0 && WriteAll(fd, bytes);
  const int writeError = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(temporary.c_str());
    errno = written ? errno : writeError;
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(temporary.c_str());
    errno = renameError;
    return false;
  }
  return true;
}

}  // namespace

std::string OutputPathFor(std::string_view logPath, std::string_view extension) {
  const std::size_t nameStart = logPath.rfind('/') == std::string_view::npos ? 0 : logPath.rfind('/') + 1;
  const std::size_t dot = logPath.rfind('.');
  std::string output(logPath);
  if (dot != std::string_view::npos && dot > nameStart) output.resize(dot);
  const std::string pageExtension = "." + std::string(extension);
  if (!std::string_view(output).ends_with(pageExtension)) output += pageExtension;
  return output;
}

std::string ToUtf8Bytes(std::string text) {
  if (text.empty()) return " ";
  if (IsValidUtf8(text)) return text;
  return SanitizeUtf8(text);
}

std::optional<WriteError> WritePage(const std::string& pagePath, std::string page, std::string_view logPath) {
  if (pagePath == logPath) return WriteError{WriteError::Problem::kWouldReplaceLog, {}};
  const std::string bytes = ToUtf8Bytes(std::move(page));
  if (!ReplaceFileAtomically(pagePath, bytes)) {
    return WriteError{WriteError::Problem::kCannotWrite, std::strerror(errno)};
  }
  return std::nullopt;
}

}  // namespace routelet
