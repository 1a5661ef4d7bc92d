#include "runtime/text_file.h"

#include <algorithm>
#include <cstring>

#include "platform/text_encoding.h"
#include "runtime/utf8.h"

namespace routelet {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

FileError CannotOpen(platform::SystemError error) { return FileError{FileError::Problem::kCannotOpen, platform::ErrorText(error)}; }

// Reads `file` to its end into `bytes`, after the bytes `first` already read from it; 0, or the
// system's error of a failed read.
platform::SystemError ReadAll(platform::NativeFile file, bool regular, std::size_t sizeHint, std::string_view first, ByteBuffer& bytes) {
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
    platform::SystemError error = 0;
    const std::ptrdiff_t got = platform::ReadNext(
        file, {reinterpret_cast<std::uint8_t*>(bytes.data()) + filled, bytes.capacity() - filled}, error);
    if (got < 0) return error;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  // A file cut short while it was read ends where it ends now: a read that raced with the cut
  // may have given zeros for bytes past the new end. (Files that tell no size, such as those of
  // /proc, are taken as read.)
  platform::FileStatus now;
  platform::SystemError ignored = 0;
  if (regular && sizeHint > 0 && platform::StatusOf(file, now, ignored) && now.Size < filled) {
    filled = static_cast<std::size_t>(now.Size);
  }
  bytes.SetSize(filled);
  return 0;
}

}  // namespace

std::string DecodeText(std::string bytes) {
  if (IsValidUtf8(bytes)) {
    if (std::string_view(bytes).starts_with(kByteOrderMark)) bytes.erase(0, kByteOrderMark.size());
    return bytes;
  }
  std::optional<std::string> decoded = platform::DecodeCodePage932(bytes);
  return decoded ? std::move(*decoded) : SanitizeUtf8(bytes);
}

InputFile::~InputFile() {
  platform::CloseFile(file_);
}

std::optional<FileError> OpenInputFile(const std::string& path, InputFile& file) {
  // Not blocking: opening a FIFO would wait for a writer without end.
  platform::SystemError error = 0;
  file.file_ = platform::OpenForReading(path, /*nonBlocking=*/true, error);
  if (file.file_ == platform::kNoFile) return CannotOpen(error);
  platform::FileStatus info;
  if (!platform::StatusOf(file.file_, info, error)) return CannotOpen(error);
  using platform::FileKind;
  if (info.Kind == FileKind::kDirectory) return CannotOpen(platform::ErrorFor(platform::KnownError::kIsADirectory));
  if (info.Kind != FileKind::kRegular && info.Kind != FileKind::kFifo) return FileError{FileError::Problem::kNotAFile, {}};
  if (info.Kind == FileKind::kFifo) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kFifoWriterWait);
    switch (platform::AwaitFifoWriter(file.file_, wait, file.first_, error)) {
      case platform::WriterWait::kCame: break;
      case platform::WriterWait::kNoWriter: return FileError{FileError::Problem::kNoWriter, {}};
      case platform::WriterWait::kFailed: return CannotOpen(error);
    }
  }
  // Reads from here on wait for the writer's bytes.
  if (!platform::MakeBlocking(file.file_, error)) return CannotOpen(error);
  file.regular_ = info.Kind == FileKind::kRegular;
  file.size_ = file.regular_ ? static_cast<std::size_t>(info.Size) : 0;
  return std::nullopt;
}

std::optional<FileError> ReadToEnd(const InputFile& file, ByteBuffer& bytes) {
  if (const platform::SystemError error = ReadAll(file.File(), file.IsRegular(), file.SizeWhenOpened(), file.first_, bytes); error != 0) {
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
