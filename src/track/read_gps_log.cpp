#include "track/read_gps_log.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/translations.h"
#include "runtime/files.h"
#include "runtime/text_file.h"
#include "track/log_lines.h"
#include "track/nmea_sentence.h"

namespace routelet {
namespace {

// Where the first line after the one `from` is in begins: just after the first line ending at
// or after `from` (CR LF counting as one ending), or at the text's end. Cut there, both sides
// hold the very lines the whole text holds.
std::size_t NextLineStart(std::string_view text, std::size_t from) {
  LogLineSplitter splitter(text.substr(from));
  std::string_view line;
  splitter.Next(line);
  return text.size() - splitter.Rest().size();
}

// The starts of `chunks` chunks of nearly equal size, each at a line start, and the text's end.
std::vector<std::size_t> ChunkStarts(std::string_view text, std::size_t chunks) {
  std::vector<std::size_t> starts(chunks + 1, text.size());
  starts[0] = 0;
  for (std::size_t k = 1; k < chunks; ++k) {
    const std::size_t near = ChunkStart(text.size(), chunks, k);
    // A line longer than a chunk leaves the chunks it spans empty.
    starts[k] = near <= starts[k - 1] ? starts[k - 1] : NextLineStart(text, near);
  }
  return starts;
}

// One chunk of the log: its lines counted, its track sentences kept.
struct LogChunk {
  std::int64_t LineCount = 0;
  std::vector<std::string_view> Kept;
};

LogChunk CollectTrackSentences(std::string_view text) {
  LogChunk chunk;
  LogLineSplitter splitter(text);
  std::string_view line;
  while (splitter.Next(line)) {
    ++chunk.LineCount;
    if (KindOfSentence(line) != SentenceKind::kOther) chunk.Kept.push_back(line);
  }
  return chunk;
}

// The kept lines of every chunk, in file order, and the progress of reading them: the counts a
// line-by-line reader reports, every 100 lines.
void JoinChunks(std::vector<LogChunk>& chunks, GpsLog& log, Progress& progress) {
  if (chunks.size() == 1) {
    log.Lines = std::move(chunks.front().Kept);
  } else {
    std::size_t kept = 0;
    for (const LogChunk& chunk : chunks) kept += chunk.Kept.size();
    log.Lines.reserve(kept);
    for (LogChunk& chunk : chunks) {
      log.Lines.insert(log.Lines.end(), chunk.Kept.begin(), chunk.Kept.end());
      chunk.Kept = {};
    }
  }
  std::int64_t lines = 0;
  for (const LogChunk& chunk : chunks) lines += chunk.LineCount;
  TellLinesRead(lines, progress);
}

// Cuts the log into lines and keeps the track sentences, chunk by chunk on the threads allowed.
void CollectTrackSentences(GpsLog& log, Progress& progress, const Parallelism& parallelism) {
  std::string_view text = log.Bytes.view();
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  const std::vector<std::size_t> starts = ChunkStarts(text, parallelism.ChunksFor(text.size(), kSmallestChunkBytes));
  std::vector<LogChunk> chunks(starts.size() - 1);
  ForEachChunk(chunks.size(), parallelism.Threads, [&](std::size_t k) {
    chunks[k] = CollectTrackSentences(text.substr(starts[k], starts[k + 1] - starts[k]));
  });
  JoinChunks(chunks, log, progress);
}

}  // namespace

std::optional<FileError> OpenLog(const std::string& path, InputFile& file) {
  if (auto problem = InputFileProblem(path)) return problem;
  if (IsDirectory(path)) return FileError{FileError::Problem::kCannotOpen, platform::TranslatedText("フォルダです")};
  return OpenInputFile(path, file);
}

Loaded<GpsLog> ReadOpenedLog(const InputFile& file, Progress& progress, const Parallelism& parallelism) {
  Loaded<GpsLog> loaded;
  loaded.Error = ReadToEnd(file, loaded.Value.Bytes);
  if (!loaded.ok()) return loaded;
  // The file's bytes are kept as they are, not decoded: the sentences are ASCII, and their
  // checksums are sums of the bytes the receiver sent. Decoding would only touch damaged bytes,
  // and one stray byte would make a whole large log be converted as Shift_JIS into a buffer
  // three times its size.
  CollectTrackSentences(loaded.Value, progress, parallelism);
  return loaded;
}

Loaded<GpsLog> ReadGpsLog(const std::string& path, Progress& progress, const Parallelism& parallelism) {
  InputFile file;
  if (auto problem = OpenLog(path, file)) return {{}, problem};
  return ReadOpenedLog(file, progress, parallelism);
}

}  // namespace routelet
