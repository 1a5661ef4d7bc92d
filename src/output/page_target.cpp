#include "output/page_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace routelet {
namespace {

constexpr std::string_view kDefaultExtension = "html";
constexpr std::string_view kBlanksAndLineEnds = " \t\r\n";

bool IsAsciiLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// True when `path` names an existing pipe, device or socket, which is written into, not replaced.
bool IsStream(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

// Writes all of the page's bytes to `fd`, going on after short writes and interruptions.
std::optional<WriteError> WriteToStream(int fd, std::string page) {
  const std::string bytes = ToUtf8Bytes(std::move(page));
  for (std::string_view rest = bytes; !rest.empty();) {
    const ssize_t written = ::write(fd, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return WriteError{WriteError::Problem::kCannotWrite, std::strerror(errno)};
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> PageExtension(const SectionStore& sections) {
  const std::string text = GetSection(sections, "extension");
  const std::size_t first = text.find_first_not_of(kBlanksAndLineEnds);
  if (first == std::string::npos) return std::string(kDefaultExtension);
  const std::string word = text.substr(first, text.find_last_not_of(kBlanksAndLineEnds) + 1 - first);
  if (!std::all_of(word.begin(), word.end(), IsAsciiLetterOrDigit)) return std::nullopt;
  return word;
}

std::optional<WriteError> WritePageTo(const std::string& target, std::string page, std::string_view logPath) {
  if (target == kStandardOutputPath) return WriteToStream(STDOUT_FILENO, std::move(page));
  if (!IsStream(target)) return WritePage(target, std::move(page), logPath);
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return WriteError{WriteError::Problem::kCannotWrite, std::strerror(errno)};
  std::optional<WriteError> error = WriteToStream(fd, std::move(page));
  if (::close(fd) != 0 && !error) error = WriteError{WriteError::Problem::kCannotWrite, std::strerror(errno)};
  return error;
}

}  // namespace routelet
