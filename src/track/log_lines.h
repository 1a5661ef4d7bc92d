#pragma once
// The lines of a GPS log.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "runtime/progress.h"

namespace routelet {

// A large log is cut into chunks of at least this many bytes, one thread each at a time.
inline constexpr std::size_t kSmallestChunkBytes = 1024 * 1024;

// Skipped before a log's first line.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Cuts a text into lines that end at CR LF, at a lone CR or at a lone LF. Loggers write all three
// (and some mix them in one file), and an LF-only log must not come out as one single line.
// Both searches are memchr: the next LF is remembered, so each byte is scanned about twice,
// whatever the mix of endings.
class LogLineSplitter {
 public:
  explicit LogLineSplitter(std::string_view text)
      : next_(text.data()), end_(text.data() + text.size()), nextLf_(Find('\n', next_, end_)) {}

  bool Next(std::string_view& line) {
    if (next_ == end_) return false;
    if (nextLf_ < next_) nextLf_ = Find('\n', next_, end_);
    const char* stop = Find('\r', next_, nextLf_);  // a CR before the next LF ends the line there
    line = std::string_view(next_, static_cast<std::size_t>(stop - next_));
    next_ = stop;
    if (next_ != end_ && *next_ == '\r') ++next_;
    if (next_ != end_ && *next_ == '\n') ++next_;
    return true;
  }

  // The text after the lines given so far.
  std::string_view Rest() const { return {next_, static_cast<std::size_t>(end_ - next_)}; }

 private:
  // The first `c` in [from, to), or `to`.
  static const char* Find(char c, const char* from, const char* to) {
    if (from == to) return to;
    const void* hit = std::memchr(from, c, static_cast<std::size_t>(to - from));
    return hit != nullptr ? static_cast<const char*>(hit) : to;
  }

  const char* next_;
  const char* end_;
  const char* nextLf_;  // the first LF at or after next_, or end_
};

// Tells `progress` the counts that a reader going line by line through `lines` lines reports:
// every 100 lines.
inline void TellLinesRead(std::int64_t lines, Progress& progress) {
  constexpr std::int64_t kProgressEvery = 100;
  for (std::int64_t count = kProgressEvery; count <= lines; count += kProgressEvery) progress.LogLinesRead(count);
}

}  // namespace routelet
