#include "output/page_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

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

// Writes all of the page's bytes to `fd`.
std::optional<WriteError> WriteToStream(int fd, const PageSource& page, const Parallelism& parallelism) {
  std::exception_ptr failure;
  const bool written = WritePieces(fd, page, parallelism, failure);
  if (failure) std::rethrow_exception(failure);
  if (written) return std::nullopt;
  return WriteError{WriteError::Problem::kCannotWrite, std::strerror(errno)};
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

std::optional<WriteError> WritePageTo(const std::string& target, const PageSource& page, std::string_view logPath,
                                      const Parallelism& parallelism) {
  if (target == kStandardOutputPath) return WriteToStream(STDOUT_FILENO, page, parallelism);
  if (!IsStream(target)) return WritePage(target, page, logPath, parallelism);
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return WriteError{WriteError::Problem::kCannotWrite, std::strerror(errno)};
  std::optional<WriteError> error;
  try {
    error = WriteToStream(fd, page, parallelism);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0 && !error) error = WriteError{WriteError::Problem::kCannotWrite, std::strerror(errno)};
  return error;
}

}  // namespace routelet
