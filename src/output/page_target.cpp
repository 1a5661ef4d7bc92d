#include "output/page_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstring>
#include <exception>
#include <thread>

namespace routelet {
namespace {

constexpr std::string_view kDefaultExtension = "html";
constexpr std::string_view kBlanksAndLineEnds = " \t\r\n";

// How long a pipe named for the page is waited for to have a reader, and how often it is tried:
// a run must not hang on a pipe that nobody reads.
constexpr auto kReaderWait = std::chrono::seconds(5);
constexpr auto kReaderRetry = std::chrono::milliseconds(20);

bool IsAsciiLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

WriteError CannotWrite(int error) { return WriteError{WriteError::Problem::kCannotWrite, std::strerror(error), {}}; }

// Writes all of the page's bytes to `fd`.
std::optional<WriteError> WriteToStream(int fd, const PageSource& page, const Parallelism& parallelism) {
  std::exception_ptr failure;
  const bool written = WritePieces(fd, page, parallelism, failure);
  if (failure) std::rethrow_exception(failure);
  if (written) return std::nullopt;
  return CannotWrite(errno);
}

// The refusal to write over one of the run's inputs, when `found` is one of them.
std::optional<WriteError> ReplacedInput(const struct stat& found, const RunInputs& inputs) {
  const auto isFound = [&](const std::string& path) {
    struct stat input {};
    return ::stat(path.c_str(), &input) == 0 && input.st_dev == found.st_dev && input.st_ino == found.st_ino;
  };
  if (isFound(inputs.Log)) return WriteError{WriteError::Problem::kWouldReplaceLog, {}, {}};
  const auto other = std::find_if(inputs.Others.begin(), inputs.Others.end(), isFound);
  if (other != inputs.Others.end()) return WriteError{WriteError::Problem::kWouldReplaceInput, {}, *other};
  return std::nullopt;
}

// Opens the pipe or character device at `path` for writing. Opening a pipe waits for no reader:
// it is tried again until one comes or kReaderWait has passed (failing with ENXIO then).
int OpenStream(const std::string& path, bool isPipe) {
  const auto deadline = std::chrono::steady_clock::now() + kReaderWait;
  for (;;) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 || !isPipe || errno != ENXIO || std::chrono::steady_clock::now() >= deadline) return fd;
    std::this_thread::sleep_for(kReaderRetry);
  }
}

// Writes the page into the pipe or character device at `path`, which the user named.
std::optional<WriteError> WriteIntoStream(const std::string& path, bool isPipe, const PageSource& page,
                                          const Parallelism& parallelism) {
  const int fd = OpenStream(path, isPipe);
  if (fd < 0 && isPipe && errno == ENXIO) return WriteError{WriteError::Problem::kNoReader, {}, {}};
  if (fd < 0) return CannotWrite(errno);
  std::optional<WriteError> error;
  struct stat opened {};
  if (::fstat(fd, &opened) != 0) {
    error = CannotWrite(errno);
  } else if (!S_ISFIFO(opened.st_mode) && !S_ISCHR(opened.st_mode)) {
    error = WriteError{WriteError::Problem::kNotAFile, {}, {}};  // something else came under the name
  } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    error = CannotWrite(errno);
  } else {
    try {
      error = WriteToStream(fd, page, parallelism);
    } catch (...) {
      ::close(fd);
      throw;
    }
  }
  if (::close(fd) != 0 && !error) error = CannotWrite(errno);
  return error;
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

std::optional<int> DescriptorNamedBy(std::string_view path) {
  if (path == kStandardOutputPath || path == "/dev/stdout") return STDOUT_FILENO;
  if (path == "/dev/stdin") return STDIN_FILENO;
  if (path == "/dev/stderr") return STDERR_FILENO;
  for (const std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
    if (!path.starts_with(folder)) continue;
    const std::string_view number = path.substr(folder.size());
    int fd = -1;
    const auto [end, problem] = std::from_chars(number.data(), number.data() + number.size(), fd);
    if (problem == std::errc() && end == number.data() + number.size() && !number.empty() && number[0] != '-') return fd;
  }
  return std::nullopt;
}

std::optional<WriteError> WritePageTo(const PageTarget& target, const PageSource& page, const RunInputs& inputs,
                                      const Parallelism& parallelism) {
  if (const std::optional<int> fd = DescriptorNamedBy(target.Path)) return WriteToStream(*fd, page, parallelism);
  struct stat found {};
  // Nothing there (or a link to nothing): a new page, as WritePage makes it.
  if (::stat(target.Path.c_str(), &found) != 0) return WritePage(target.Path, page, inputs.Log, parallelism);
  if (auto refusal = ReplacedInput(found, inputs)) return refusal;
  if (S_ISREG(found.st_mode) || S_ISDIR(found.st_mode)) return WritePage(target.Path, page, inputs.Log, parallelism);
  // A pipe or a terminal is written into only where the user named it; a device that holds
  // data (a disk), a socket, or a pipe the page would reach by chance, never.
  const bool isPipe = S_ISFIFO(found.st_mode);
  if (!target.NamedByUser || !(isPipe || S_ISCHR(found.st_mode))) return WriteError{WriteError::Problem::kNotAFile, {}, {}};
  return WriteIntoStream(target.Path, isPipe, page, parallelism);
}

}  // namespace routelet
