#pragma once
// Reading text files: the bytes are decoded once, and lines are views into the decoded text.
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "runtime/file_error.h"
#include "runtime/byte_buffer.h"

namespace routelet {

// Decodes a file's bytes to UTF-8. Valid UTF-8 stays as it is, less a leading byte-order mark;
// anything else is taken as Shift_JIS (code page 932), with undecodable bytes becoming U+FFFD.
std::string DecodeText(std::string bytes);

// How long a named FIFO is waited for a writer when it is opened.
inline constexpr std::chrono::seconds kFifoWriterWait{5};

// A file open for reading, closed when this goes.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  platform::NativeFile File() const { return file_; }
  // A regular file can be read at any offset, by several threads at once; a FIFO cannot.
  bool IsRegular() const { return regular_; }
  // The size the file had when it was opened (0 for a FIFO); it may change while it is read.
  std::size_t SizeWhenOpened() const { return size_; }

 private:
  friend std::optional<FileError> OpenInputFile(const std::string& path, InputFile& file);
  friend std::optional<FileError> ReadToEnd(const InputFile& file, ByteBuffer& bytes);
  platform::NativeFile file_ = platform::kNoFile;
  std::string first_;  // of a FIFO: bytes read while its writer was waited for
  bool regular_ = false;
  std::size_t size_ = 0;
};

// Opens a file or a FIFO to read; nothing, or why not: kCannotOpen with the system's reason,
// kNotAFile for a device or socket, kNoWriter for a named FIFO that no writer opened within
// kFifoWriterWait. Never waits longer than that.
std::optional<FileError> OpenInputFile(const std::string& path, InputFile& file);

// Reads an open file, from its start, to its end into `bytes`. A file that shrinks or grows
// meanwhile gives the bytes that were there as it was read.
std::optional<FileError> ReadToEnd(const InputFile& file, ByteBuffer& bytes);

// Reads a whole file's bytes (a file or a FIFO): OpenInputFile, then ReadToEnd.
std::optional<FileError> ReadFileBytes(const std::string& path, ByteBuffer& bytes);
std::optional<FileError> ReadFileBytes(const std::string& path, std::string& bytes);

// Reads and decodes a text file.
std::optional<FileError> ReadTextFile(const std::string& path, std::string& text);

// Walks the lines of a text. A line ends at CR LF or at a lone CR; a lone LF stays inside the
// line. A text without any CR (as editors on Linux save it) has its lines end at LF instead.
// A last line without an ending is still a line; an empty text has no lines.
class LineReader {
 public:
  explicit LineReader(std::string_view text)
      : rest_(text), ending_(text.find('\r') == std::string_view::npos ? '\n' : '\r') {}

  // Sets `line` to the next line, without its ending, and returns true; false at the end.
  bool Next(std::string_view& line);

 private:
  std::string_view rest_;
  char ending_;  // the character that ends a line: CR, which an LF right after it joins, or LF
};

}  // namespace routelet
