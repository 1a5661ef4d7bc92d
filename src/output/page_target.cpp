#include "output/page_target.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstring>
#include <exception>
#include <thread>

#include "platform/console.h"
#include "platform/files.h"

namespace routelet {
namespace {

constexpr std::string_view kDefaultExtension = "html";
constexpr std::string_view kBlanksAndLineEnds = " \t\r\n";

// How long a pipe named for the page is waited for to have a reader, and how often it is tried:
// a run must not hang on a pipe that nobody reads.
constexpr auto kReaderWait = std::chrono::seconds(5);
constexpr auto kReaderRetry = std::chrono::milliseconds(20);

bool IsAsciiLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

WriteError CannotWrite(platform::SystemError error) {
  return WriteError{WriteError::Problem::kCannotWrite, platform::ErrorText(error), {}};
}

// Writes all of the page's bytes to `file`.
std::optional<WriteError> WriteToStream(platform::NativeFile file, const PageSource& page, const Parallelism& parallelism) {
  std::exception_ptr failure;
  platform::SystemError error = 0;
  const bool written = WritePieces(file, page, parallelism, failure, error);
  if (failure) std::rethrow_exception(failure);
  if (written) return std::nullopt;
  return CannotWrite(error);
}

// The refusal to write over one of the run's inputs, when `found` is one of them (told by the
// file's identity, whatever name reached it).
std::optional<WriteError> ReplacedInput(const platform::FileStatus& found, const RunInputs& inputs) {
  // An input whose identity is known from reading it (a photo) is not looked up by path again:
  // a page over a folder of photos would otherwise cost one more stat per photo.
  const auto isFound = [&](const platform::InputFile& file) {
    if (found.Identity == platform::FileIdentity{}) return false;
    if (file.Identity != platform::FileIdentity{}) return file.Identity == found.Identity;
    platform::FileStatus input;
    platform::SystemError ignored = 0;
    return platform::StatusOfPath(file.Path, input, ignored) && input.Identity == found.Identity;
  };
  if (isFound({inputs.Log, {}})) return WriteError{WriteError::Problem::kWouldReplaceLog, {}, {}};
  const auto other = std::find_if(inputs.Others.begin(), inputs.Others.end(), isFound);
  if (other != inputs.Others.end()) return WriteError{WriteError::Problem::kWouldReplaceInput, {}, other->Path};
  return std::nullopt;
}

// Opens the pipe or character device at `path` for writing. Opening a pipe waits for no reader:
// it is tried again until one comes or kReaderWait has passed (failing with no reader then).
platform::NativeFile OpenStream(const std::string& path, bool isPipe, platform::SystemError& error) {
  const auto deadline = std::chrono::steady_clock::now() + kReaderWait;
  for (;;) {
    const platform::NativeFile file = platform::OpenForWritingNow(path, error);
    if (file != platform::kNoFile || !isPipe || !platform::IsNoReaderError(error) ||
        std::chrono::steady_clock::now() >= deadline) {
      return file;
    }
    std::this_thread::sleep_for(kReaderRetry);
  }
}

// Writes the page into the pipe or character device at `path`, which the user named.
std::optional<WriteError> WriteIntoStream(const std::string& path, bool isPipe, const PageSource& page,
                                          const Parallelism& parallelism) {
  platform::SystemError failure = 0;
  const platform::NativeFile file = OpenStream(path, isPipe, failure);
  if (file == platform::kNoFile && isPipe && platform::IsNoReaderError(failure)) {
    return WriteError{WriteError::Problem::kNoReader, {}, {}};
  }
  if (file == platform::kNoFile) return CannotWrite(failure);
  std::optional<WriteError> error;
  platform::FileStatus opened;
  using platform::FileKind;
  if (!platform::StatusOf(file, opened, failure)) {
    error = CannotWrite(failure);
  } else if (opened.Kind != FileKind::kFifo && opened.Kind != FileKind::kDevice) {
    error = WriteError{WriteError::Problem::kNotAFile, {}, {}};  // something else came under the name
  } else if (!platform::MakeBlocking(file, failure)) {
    error = CannotWrite(failure);
  } else {
    try {
      error = WriteToStream(file, page, parallelism);
    } catch (...) {
      platform::CloseFile(file);
      throw;
    }
  }
  if (!platform::CloseFile(file, failure) && !error) error = CannotWrite(failure);
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
  if (path == kStandardOutputPath || path == "/dev/stdout") return 1;
  if (path == "/dev/stdin") return 0;
  if (path == "/dev/stderr") return 2;
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
  if (const std::optional<int> fd = DescriptorNamedBy(target.Path)) {
    if (*fd == 1) platform::UseBinaryMode(stdout);  // the page's bytes as they are, no CR added
    return WriteToStream(platform::StandardStream(*fd), page, parallelism);
  }
  platform::FileStatus found;
  platform::SystemError ignored = 0;
  // Nothing there (or a link to nothing): a new page, as WritePage makes it.
  if (!platform::StatusOfPath(target.Path, found, ignored)) return WritePage(target.Path, page, inputs.Log, parallelism);
  if (auto refusal = ReplacedInput(found, inputs)) return refusal;
  using platform::FileKind;
  if (found.Kind == FileKind::kRegular || found.Kind == FileKind::kDirectory) {
    return WritePage(target.Path, page, inputs.Log, parallelism);
  }
  // A pipe or a terminal is written into only where the user named it; a device that holds
  // data (a disk), a socket, or a pipe the page would reach by chance, never.
  const bool isPipe = found.Kind == FileKind::kFifo;
  if (!target.NamedByUser || !(isPipe || found.Kind == FileKind::kDevice)) {
    return WriteError{WriteError::Problem::kNotAFile, {}, {}};
  }
  return WriteIntoStream(target.Path, isPipe, page, parallelism);
}

}  // namespace routelet
