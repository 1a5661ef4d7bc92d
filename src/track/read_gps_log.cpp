#include "track/read_gps_log.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "runtime/files.h"
#include "runtime/large_buffer.h"
#include "runtime/text_file.h"
#include "track/nmea_sentence.h"

namespace routelet {
namespace {

constexpr std::int64_t kProgressEvery = 100;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

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

void CollectTrackSentences(GpsLog& log, Progress& progress) {
  std::string_view text = *log.Bytes;
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  LogLineSplitter splitter(text);
  std::string_view line;
  std::int64_t count = 0;
  while (splitter.Next(line)) {
    ++count;
    if (count % kProgressEvery == 0) progress.LogLinesRead(count);
    if (KindOfSentence(line) != SentenceKind::kOther) log.Lines.push_back(line);
  }
}

// Logs of a week or more run to hundreds of megabytes: the buffer is reserved at the file's size
// first, so the read fills it in place, with as few page faults as possible.
void PrepareBuffer(const std::string& path, std::string& bytes) {
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
  if (!sizeError) ReserveLargeBuffer(bytes, static_cast<std::size_t>(size) + 1);
}

// The file's bytes, or why not.
std::optional<FileError> ReadLogBytes(const std::string& path, std::string& bytes) {
  if (auto problem = InputFileProblem(path)) return problem;
  if (IsDirectory(path)) return FileError{FileError::Problem::kCannotOpen, "フォルダです"};
  PrepareBuffer(path, bytes);
  return ReadFileBytes(path, bytes);
}

}  // namespace

Loaded<GpsLog> ReadGpsLog(const std::string& path, Progress& progress) {
  Loaded<GpsLog> loaded;
  std::string bytes;
  loaded.Error = ReadLogBytes(path, bytes);
  if (!loaded.ok()) return loaded;
  // The file's bytes are kept as they are, not decoded: the sentences are ASCII, and their
  // checksums are sums of the bytes the receiver sent. Decoding would only touch damaged bytes,
  // and one stray byte would make a whole large log be converted as Shift_JIS into a buffer
  // three times its size.
  loaded.Value.Bytes = std::make_unique<const std::string>(std::move(bytes));
  CollectTrackSentences(loaded.Value, progress);
  return loaded;
}

}  // namespace routelet
