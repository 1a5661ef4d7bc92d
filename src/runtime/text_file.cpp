#include "runtime/text_file.h"

#include <fcntl.h>
#include <iconv.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "runtime/utf8.h"

namespace routelet {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Shift_JIS (as Windows writes it, code page 932) to UTF-8; a byte that does not decode
// becomes U+FFFD and decoding goes on after it.
std::string DecodeShiftJis(std::string_view bytes) {
  std::string out;
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return SanitizeUtf8(bytes);
  out.resize(bytes.size() * 3 + 16);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) break;  // cannot happen: three bytes out per byte in is enough
    // EILSEQ or EINVAL: an undecodable or cut-off byte. Replace it and go on after it.
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    if (outLeft < 3) break;
    std::memcpy(outPtr, kReplacement, 3);
    outPtr += 3;
    outLeft -= 3;
    ++in;
    --inLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

FileError CannotOpen(int error) { return FileError{FileError::Problem::kCannotOpen, std::strerror(error)}; }

// Reads `fd` to its end into `bytes`, after the bytes `first` already read from it; 0, or the
// errno of a failed read.
int ReadAll(int fd, bool regular, std::size_t sizeHint, std::string_view first, ByteBuffer& bytes) {
  // The size is a hint only: the file may shrink or grow while it is read. One spare byte lets
  // the read that finds the end happen without growing (and copying) a large buffer.
  bytes = ByteBuffer(sizeHint + first.size() + 1);
  std::memcpy(bytes.data(), first.data(), first.size());
  std::size_t filled = first.size();
  for (;;) {  // up to wherever the file ends now
    if (filled == bytes.capacity()) {
      bytes.SetSize(filled);
      bytes.Reserve(std::max<std::size_t>(2 * filled, filled + 65536));
    }
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.capacity() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  // A file cut short while it was read ends where it ends now: a read that raced with the cut
  // may have given zeros for bytes past the new end. (Files that tell no size, such as those of
  // /proc, are taken as read.)
  struct stat now {};
  if (regular && sizeHint > 0 && ::fstat(fd, &now) == 0 && now.st_size >= 0 && static_cast<std::size_t>(now.st_size) < filled) {
    filled = static_cast<std::size_t>(now.st_size);
  }
  bytes.SetSize(filled);
  return 0;
}

// An anonymous pipe (what `<(command)` names as /dev/fd/N) had its writer from the start: when
// none is left, the content has ended. A named FIFO may have had none yet.
bool IsAnonymousPipe(int fd) {
  struct statfs system {};
  return ::fstatfs(fd, &system) == 0 && system.f_type == PIPEFS_MAGIC;
}

// Whether the FIFO open (without blocking) as `fd` has a writer, had one since it was opened, or
// has bytes to read; a byte read to find out goes to `first`. EINTR is taken as "not yet".
// 0, or the errno of a failed read.
int WriterCame(int fd, bool hangUpAtOpen, bool& came, std::string& first) {
  pollfd watch{fd, POLLIN, 0};
  const bool hungUp = ::poll(&watch, 1, 0) > 0 && (watch.revents & POLLHUP) != 0;
  char byte = 0;
  const ssize_t got = ::read(fd, &byte, 1);
  if (got == 1) first.push_back(byte);
  // Nothing to read with a writer there gives EAGAIN; with none, the end (0). A hang-up that was
  // not there at the open tells of a writer that came and went without writing.
  came = got == 1 || (got < 0 && errno == EAGAIN) || (got == 0 && hungUp && !hangUpAtOpen);
  return got < 0 && errno != EAGAIN && errno != EINTR ? errno : 0;
}

// Waits, a short step at a time, up to kFifoWriterWait for a writer of the named FIFO open
// (without blocking) as `fd`: open() itself would wait for one without end. Some systems report a
// hang-up at once on a FIFO that never had a writer, so poll() alone cannot wait for one.
std::optional<FileError> AwaitWriter(int fd, std::string& first) {
  constexpr auto kStep = std::chrono::milliseconds(20);
  pollfd atOpen{fd, POLLIN, 0};
  const bool hangUpAtOpen = ::poll(&atOpen, 1, 0) > 0 && (atOpen.revents & POLLHUP) != 0;
  const auto deadline = std::chrono::steady_clock::now() + kFifoWriterWait;
  for (;;) {
    bool came = false;
    if (const int error = WriterCame(fd, hangUpAtOpen, came, first); error != 0) return CannotOpen(error);
    if (came) return std::nullopt;
    if (std::chrono::steady_clock::now() >= deadline) return FileError{FileError::Problem::kNoWriter, {}};
    pollfd watch{fd, POLLIN, 0};
    if (::poll(&watch, 1, static_cast<int>(kStep.count())) > 0 && (watch.revents & POLLIN) == 0) {
      ::poll(nullptr, 0, static_cast<int>(kStep.count()));  // a hang-up that stays: wait the step out
    }
  }
}

}  // namespace

std::string DecodeText(std::string bytes) {
  if (IsValidUtf8(bytes)) {
    if (std::string_view(bytes).starts_with(kByteOrderMark)) bytes.erase(0, kByteOrderMark.size());
    return bytes;
  }
  return DecodeShiftJis(bytes);
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<FileError> OpenInputFile(const std::string& path, InputFile& file) {
  // Not blocking: opening a FIFO would wait for a writer without end.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return CannotOpen(errno);
  file.fd_ = fd;
  struct stat info {};
  if (::fstat(fd, &info) != 0) return CannotOpen(errno);
  if (S_ISDIR(info.st_mode)) return CannotOpen(EISDIR);
  if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode)) return FileError{FileError::Problem::kNotAFile, {}};
  if (S_ISFIFO(info.st_mode) && !IsAnonymousPipe(fd)) {
    if (auto problem = AwaitWriter(fd, file.first_)) return problem;
  }
  // Reads from here on wait for the writer's bytes.
  if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return CannotOpen(errno);
  }
  file.regular_ = S_ISREG(info.st_mode);
  file.size_ = file.regular_ && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
  return std::nullopt;
}

std::optional<FileError> ReadToEnd(const InputFile& file, ByteBuffer& bytes) {
  if (const int error = ReadAll(file.Descriptor(), file.IsRegular(), file.SizeWhenOpened(), file.first_, bytes); error != 0) {
    return CannotOpen(error);
  }
  return std::nullopt;
}

std::optional<FileError> ReadFileBytes(const std::string& path, ByteBuffer& bytes) {
  InputFile file;
  if (auto problem = OpenInputFile(path, file)) return problem;
  return ReadToEnd(file, bytes);
}

std::optional<FileError> ReadFileBytes(const std::string& path, std::string& bytes) {
  ByteBuffer buffer;
  std::optional<FileError> problem = ReadFileBytes(path, buffer);
  bytes.assign(buffer.view());
  return problem;
}

std::optional<FileError> ReadTextFile(const std::string& path, std::string& text) {
  std::string bytes;
  if (auto problem = ReadFileBytes(path, bytes)) return problem;
  text = DecodeText(std::move(bytes));
  return std::nullopt;
}

bool LineReader::Next(std::string_view& line) {
  if (rest_.empty()) return false;
  const std::size_t end = rest_.find(ending_);
  if (end == std::string_view::npos) {
    line = rest_;
    rest_ = {};
    return true;
  }
  line = rest_.substr(0, end);
  const bool crLf = ending_ == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
  rest_.remove_prefix(end + (crLf ? 2 : 1));
  return true;
}

}  // namespace routelet
