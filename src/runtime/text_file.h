#pragma once
// Reading text files: the bytes are decoded once, and lines are views into the decoded text.
#include <string>
#include <string_view>

namespace routelet {

// Decodes a file's bytes to UTF-8. Valid UTF-8 stays as it is, less a leading byte-order mark;
// anything else is taken as Shift_JIS (code page 932), with undecodable bytes becoming U+FFFD.
std::string DecodeText(std::string bytes);

// Reads a whole file's bytes. On failure returns false and puts the system's reason in `error`.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error);

// Reads and decodes a text file.
bool ReadTextFile(const std::string& path, std::string& text, std::string& error);

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
