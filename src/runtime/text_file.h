#pragma once
// Reading text files: the bytes are decoded once, and lines are views into the decoded text.
#include <optional>
#include <string>
#include <string_view>

#include "runtime/file_error.h"
#include "runtime/byte_buffer.h"

namespace routelet {

// Decodes a file's bytes to UTF-8. Valid UTF-8 stays as it is, less a leading byte-order mark;
// anything else is taken as Shift_JIS (code page 932), with undecodable bytes becoming U+FFFD.
std::string DecodeText(std::string bytes);

// Reads a whole file's bytes (a file or a FIFO); nothing, or why not: kCannotOpen with the
// system's reason, kNotAFile for a device or socket. A file that shrinks or grows meanwhile gives
// the bytes that were there as it was read, from its start. With `threads` > 1 a large file is
// read in that many parts at once.
std::optional<FileError> ReadFileBytes(const std::string& path, ByteBuffer& bytes, unsigned threads = 1);
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
