#include "track/read_track.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "runtime/text_file.h"
#include "track/build_track.h"
#include "track/gzip_stream.h"
#include "track/log_lines.h"
#include "track/nmea_sentence.h"
#include "track/nmea_stream.h"
#include "track/read_gps_log.h"
#include "track/track_chunks.h"
#include "track/xml_track_pieces.h"

namespace routelet {
namespace {

// A stretch of a regular file, read into one buffer that is used again and again: the bytes
// not yet consumed move to its front before more are read after them.
class FileWindow {
 public:
  FileWindow(platform::NativeFile file, std::size_t offset, std::size_t bytes)
      : file_(file), offset_(offset), capacity_(std::max<std::size_t>(bytes, 1)),
        data_(std::make_unique_for_overwrite<char[]>(capacity_)) {}

  // The bytes read and not yet consumed.
  std::string_view Bytes() const { return {data_.get() + begin_, filled_ - begin_}; }
  // Where in the file Bytes() begins.
  std::size_t Offset() const { return offset_ + begin_; }
  void Consume(std::size_t bytes) { begin_ += bytes; }

  // Reads more after Bytes() (which may move), growing the buffer when Bytes() fill it.
  // False at the file's end or after a failed read.
  bool ReadMore() {
    if (atEnd_ || error_ != 0) return false;
    if (begin_ > 0) {
      std::memmove(data_.get(), data_.get() + begin_, filled_ - begin_);
      offset_ += begin_;
      filled_ -= begin_;
      begin_ = 0;
    }
    if (filled_ == capacity_) Grow();
    const std::ptrdiff_t got = platform::ReadAt(
        file_, offset_ + filled_, {reinterpret_cast<std::uint8_t*>(data_.get()) + filled_, capacity_ - filled_}, error_);
    if (got == 0) atEnd_ = true;
    if (got <= 0) return false;
    filled_ += static_cast<std::size_t>(got);
    return true;
  }

  // Goes on at `offset`, past Offset(), as if the bytes between were read and consumed. Only
  // when every byte read is consumed.
  void JumpTo(std::size_t offset) {
    offset_ = offset;
    begin_ = 0;
    filled_ = 0;
  }

  bool AtEnd() const { return atEnd_; }
  // The system's error of the read that failed, or 0.
  platform::SystemError Error() const { return error_; }
  // How far into the file bytes were read.
  std::size_t ReadTo() const { return offset_ + filled_; }

 private:
  void Grow() {
    auto larger = std::make_unique_for_overwrite<char[]>(2 * capacity_);
    std::memcpy(larger.get(), data_.get(), filled_);
    data_ = std::move(larger);
    capacity_ *= 2;
  }

  platform::NativeFile file_;
  std::size_t offset_;  // of data_[0] in the file
  std::size_t capacity_;
  std::unique_ptr<char[]> data_;
  std::size_t begin_ = 0;  // data_[begin_, filled_) are read and not consumed
  std::size_t filled_ = 0;
  bool atEnd_ = false;
  platform::SystemError error_ = 0;
};

// The longest start of `bytes` that ends just after a line ending whose kind is settled: a CR
// as the very last byte may yet turn out to be the start of a CR LF.
std::size_t SettledLines(std::string_view bytes) {
  const auto isEnding = [](char c) { return c == '\r' || c == '\n'; };
  const auto last = std::find_if(bytes.rbegin(), bytes.rend(), isEnding);
  if (last == bytes.rend()) return 0;
  const std::size_t after = static_cast<std::size_t>(bytes.rend() - last);
  if (after < bytes.size() || *last == '\n') return after;
  const auto before = std::find_if(last + 1, bytes.rend(), isEnding);
  return static_cast<std::size_t>(bytes.rend() - before);
}

// Where the first CR or LF of `bytes` is, or its size.
std::size_t FirstLineEnding(std::string_view bytes) {
  const void* lf = std::memchr(bytes.data(), '\n', bytes.size());
  const std::size_t lfAt = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - bytes.data()) : bytes.size();
  const void* cr = std::memchr(bytes.data(), '\r', lfAt);
  return cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data()) : lfAt;
}

// What the chunks of one reading share.
struct SharedReading {
  SharedReading(std::size_t fileSize, std::size_t chunks) : FileSize(fileSize), Lineless(chunks) {}

  std::size_t Chunks() const { return Lineless.size(); }
  // Where chunk `k` begins; chunk Chunks() begins at the file's size.
  std::size_t Start(std::size_t k) const { return ChunkStart(FileSize, Chunks(), k); }

  std::size_t FileSize;
  // Set for a chunk whose bytes, from the one before it to its end, hold no CR or LF: a chunk
  // passing over a line that runs on through it may jump its bytes instead of reading them.
  std::vector<std::atomic<bool>> Lineless;
  std::atomic<bool> Failed = false;  // a chunk failed: the others stop, their work is lost anyway
};

// Consumes the rest of the line the window begins in, and its ending, scanning the bytes as
// they come without holding them: a line of hundreds of megabytes costs one window, and the bytes
// of chunks from `nextChunk` on that are known to hold no line ending are not read at all. A
// window that begins one byte before an offset is left at the first line start at or after that
// offset. False, with the window anywhere, when no line ends before the window reaches `limit`, a
// read failed, or a chunk failed.
bool SkipLine(FileWindow& window, std::optional<std::size_t> limit, SharedReading& reading, std::size_t nextChunk) {
  for (;;) {
    const std::string_view bytes = window.Bytes();
    const std::size_t ending = FirstLineEnding(bytes);
    // A CR as the last byte read waits for the next byte: it may be the start of a CR LF.
    if (ending < bytes.size() && (bytes[ending] == '\n' || ending + 1 < bytes.size() || window.AtEnd())) {
      const bool crLf = bytes[ending] == '\r' && ending + 1 < bytes.size() && bytes[ending + 1] == '\n';
      window.Consume(ending + (crLf ? 2 : 1));
      return true;
    }
    window.Consume(ending);
    if (window.AtEnd()) return true;  // the line ends with the file
    if ((limit && window.Offset() >= *limit) || reading.Failed.load(std::memory_order_relaxed)) return false;
    for (; nextChunk < reading.Chunks() && window.Offset() + 1 >= reading.Start(nextChunk); ++nextChunk) {
      const std::size_t end = reading.Start(nextChunk + 1);
      if (window.Offset() < end && window.Bytes().empty() && reading.Lineless[nextChunk].load(std::memory_order_acquire)) {
        window.JumpTo(end);
      }
    }
    if (!window.ReadMore() && window.Error() != 0) return false;
  }
}

// The bytes of a file's start that tell an XML file from a log.
constexpr std::size_t kSniffedBytes = 512;

bool StartsLikeXml(platform::NativeFile file, platform::SystemError& error) {
  std::uint8_t start[kSniffedBytes];
  const std::ptrdiff_t got = platform::ReadAt(file, 0, start, error);
  return got > 0 && LooksLikeXml({reinterpret_cast<const char*>(start), static_cast<std::size_t>(got)});
}

bool StartsGzipped(platform::NativeFile file, platform::SystemError& error) {
  std::uint8_t start[2];
  const std::ptrdiff_t got = platform::ReadAt(file, 0, start, error);
  return got > 0 && LooksGzipped({reinterpret_cast<const char*>(start), static_cast<std::size_t>(got)});
}

// What one chunk of the file gave.
struct FileChunk {
  ChunkTrack Track;
  std::int64_t LineCount = 0;
  std::size_t KeptLines = 0;
  std::size_t ReadTo = 0;               // how far into the file bytes were read
  std::optional<std::size_t> EndFound;  // where a read found the file's end, if one did
  platform::SystemError Error = 0;      // the system's error of a read that failed, or 0
};

// A line longer than this in a small chunk makes its window grow.
constexpr std::size_t kUsualLineBytes = 128;

// The lines that begin in chunk `k` of the file, each to its end (past the chunk's end when it
// runs on), built into a chunk of the track. The last chunk takes every line to the file's end,
// so a log that grew meanwhile is read whole. A chunk that begins inside a line scans no further
// than its end for the next line start. A line is held whole only when it may be a sentence the
// track uses: any other line is passed over as soon as its first bytes rule that out. Gives up,
// with what it has, once a chunk has failed.
FileChunk ReadChunk(platform::NativeFile fd, std::size_t k, SharedReading& reading, std::size_t windowBytes) {
  FileChunk chunk;
  ChunkBuilder builder;
  const std::size_t from = reading.Start(k);
  const std::size_t to = reading.Start(k + 1);
  const bool last = k + 1 == reading.Chunks();
  // No larger than the chunk and a line: tests cut a log into chunks of a byte.
  FileWindow window(fd, from == 0 ? 0 : from - 1, last ? windowBytes : std::min(windowBytes, to - from + kUsualLineBytes));
  std::size_t firstLine = 0;  // the file's first line begins at 0, even after a byte-order mark
  bool hasLines = true;       // a line begins in the chunk
  if (from == 0) {
    while (window.Bytes().size() < kUtf8ByteOrderMark.size() && window.ReadMore()) {
    }
    if (window.Bytes().starts_with(kUtf8ByteOrderMark)) window.Consume(kUtf8ByteOrderMark.size());
    firstLine = window.Offset();
  } else {
    hasLines = SkipLine(window, last ? std::nullopt : std::optional(to), reading, reading.Chunks());
    if (!hasLines && !last && window.Offset() >= to) reading.Lineless[k].store(true, std::memory_order_release);
  }
  const auto isNextChunks = [&](std::size_t start) { return !last && start >= to && start != firstLine; };
  const auto take = [&](std::string_view line) {
    ++chunk.LineCount;
    const SentenceKind kind = KindOfSentence(line);
    if (kind == SentenceKind::kOther) return;
    ++chunk.KeptLines;
    builder.Add(line, kind);
  };
  while (hasLines && !reading.Failed.load(std::memory_order_relaxed)) {
    const std::string_view bytes = window.Bytes();
    const bool atEnd = window.AtEnd();  // no more bytes come: every line is settled
    const std::size_t settled = atEnd ? bytes.size() : SettledLines(bytes);
    LogLineSplitter splitter(bytes.substr(0, settled));
    bool reachedNextChunk = false;
    for (std::string_view line; !reachedNextChunk && splitter.Next(line);) {
      reachedNextChunk = isNextChunks(window.Offset() + static_cast<std::size_t>(line.data() - bytes.data()));
      if (!reachedNextChunk) take(line);
    }
    if (reachedNextChunk || atEnd) break;
    window.Consume(settled);
    // The window begins at a line start, and the line has not ended in the bytes read.
    if (isNextChunks(window.Offset())) break;
    const std::string_view begun = window.Bytes();
    if (!begun.empty() && !MayBeginTrackSentence(begun)) {
      ++chunk.LineCount;
      if (!SkipLine(window, std::nullopt, reading, k + 1)) break;
    } else if (!window.ReadMore() && window.Error() != 0) {
      break;
    }
  }
  chunk.Track = builder.Finish();
  chunk.ReadTo = window.ReadTo();
  if (window.AtEnd()) chunk.EndFound = window.ReadTo();
  chunk.Error = window.Error();
  return chunk;
}

// The track of an XML file whose bytes `read` gives, block after block (an empty block at the end).
template <typename ReadBlock>
LogTrack FromXml(ReadBlock read, Progress& progress, const Parallelism& parallelism) {
  XmlTrackReader reader;
  std::uint64_t linesTold = 0;
  for (bool more = true; more;) {
    const std::optional<std::string_view> block = read();
    if (!block) break;
    more = !block->empty();
    if (!reader.Feed(*block, !more)) break;
    // The progress every 100 lines, as for an NMEA log.
    for (; linesTold + 100 <= reader.Line(); linesTold += 100) progress.LogLinesRead(static_cast<std::int64_t>(linesTold + 100));
  }
  LogTrack log;
  log.Content = LogContent::kXml;
  log.Xml = reader.Stop();
  log.KeptLines = reader.Points();
  std::vector<ChunkTrack> chunks{reader.Finish()};
  log.Points = JoinChunks(chunks, parallelism);
  return log;
}

// A file that begins with "<" but breaks as XML before any track point: read as a log after all,
// so that a log with a stray first line converts as it always did. A build that reads no XML
// reads every such file as a log first, for the same reason.
bool IsNoXmlAtAll(const LogTrack& log) {
  if (log.Xml.What == XmlStop::Reason::kNotSupported) return true;
  return log.Xml.What == XmlStop::Reason::kBroken && log.Points.Records.empty();
}

// In a build that reads no XML, a file that begins like XML and holds no NMEA sentence is told as
// the XML file it looks like, which this build cannot read.
void TellUnreadXml(bool startsLikeXml, LogTrack& log) {
  if (!startsLikeXml || XmlTracksReadable() || log.Content != LogContent::kNoTrack) return;
  log.Content = LogContent::kXml;
  log.Xml = {XmlStop::Reason::kNotSupported, 0};
}

// For a log that gave no track: what it held.
LogContent ContentOf(const LogTrack& log, std::string_view bytes) {
  if (log.KeptLines > 0) return LogContent::kNmea;
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  SentenceSpotter spotter;
  spotter.Feed(bytes);
  return spotter.Content();
}

// The track of the bytes that gzip data inflates to, read as they inflate: an XML track file or a
// log, as for a plain file. `compressed` gives a reading of the compressed bytes from their
// start, each time it is called; nothing, with the reading's own error set, after a failed read.
std::optional<LogTrack> FromGzip(const std::function<ByteBlocks()>& compressed, Progress& progress,
                                 const Parallelism& parallelism) {
  {
    GzipStream inflated(compressed());
    // The first bytes, however small the pieces they inflate in, tell an XML file from a log.
    std::string start;
    for (std::optional<std::string_view> block; start.size() < kSniffedBytes;) {
      if (!(block = inflated())) return std::nullopt;
      if (block->empty()) break;
      start += *block;
    }
    if (LooksLikeXml(std::string_view(start).substr(0, kSniffedBytes))) {
      bool failed = false, started = false;
      const auto read = [&]() -> std::optional<std::string_view> {
        if (!std::exchange(started, true)) return start;
        std::optional<std::string_view> block = inflated();
        failed = !block;
        return block;
      };
      LogTrack xml = FromXml(read, progress, parallelism);
      if (failed) return std::nullopt;
      xml.CompressionBroken = inflated.Broken() && xml.Xml.What != XmlStop::Reason::kEntities;
      if (!IsNoXmlAtAll(xml)) return xml;
    }
  }
  GzipStream inflated(compressed());
  NmeaStream nmea;
  for (std::optional<std::string_view> block; (block = inflated()) && !block->empty();) nmea.Feed(*block);
  if (!inflated()) return std::nullopt;
  std::vector<ChunkTrack> chunks{nmea.Finish()};
  LogTrack log;
  TellLinesRead(nmea.Lines(), progress);
  log.KeptLines = nmea.KeptLines();
  log.Content = nmea.Content();
  log.CompressionBroken = inflated.Broken();
  log.Points = JoinChunks(chunks, parallelism);
  return log;
}

// The line counts told while a log is read whole, held until it is known not to be compressed:
// the lines of compressed bytes are none of the user's business.
class HeldLineCounts final : public Progress {
 public:
  void LogLinesRead(std::int64_t lines) override { counts_.push_back(lines); }
  void RenderingRecord(std::size_t, std::size_t) override {}
  void ReadingPhoto(std::string_view) override {}
  void TellTo(Progress& progress) const {
    for (const std::int64_t lines : counts_) progress.LogLinesRead(lines);
  }

 private:
  std::vector<std::int64_t> counts_;
};

Loaded<LogTrack> FromWholeLog(const InputFile& file, Progress& progress, const Parallelism& parallelism) {
  HeldLineCounts counts;
  Loaded<GpsLog> log = ReadOpenedLog(file, counts, parallelism);
  if (!log.ok()) return {{}, log.Error};
  const std::string_view bytes = log.Value.Bytes.view();
  if (LooksGzipped(bytes)) {
    const auto whole = [&] {
      return [bytes, given = false]() mutable -> std::optional<std::string_view> {
        return std::exchange(given, true) ? "" : bytes;
      };
    };
    return {std::move(*FromGzip(whole, progress, parallelism)), std::nullopt};
  }
  counts.TellTo(progress);
  const bool startsLikeXml = LooksLikeXml(bytes.substr(0, kSniffedBytes));
  if (startsLikeXml) {
    bool given = false;
    const auto read = [&]() -> std::optional<std::string_view> { return std::exchange(given, true) ? "" : bytes; };
    LogTrack xml = FromXml(read, progress, parallelism);
    if (!IsNoXmlAtAll(xml)) return {std::move(xml), std::nullopt};
  }
  Loaded<LogTrack> loaded;
  loaded.Value.Points = BuildTrack(log.Value, parallelism);
  loaded.Value.KeptLines = log.Value.size();
  loaded.Value.Content = ContentOf(loaded.Value, bytes);
  TellUnreadXml(startsLikeXml, loaded.Value);
  return loaded;
}

// The blocks of a regular file from its start, for FromXml; nothing after a failed read, with
// `error` set.
class BlockReader {
 public:
  BlockReader(platform::NativeFile file, platform::SystemError& error, std::size_t blockBytes = kLogWindowBytes)
      : file_(file), error_(error), blockBytes_(blockBytes), block_(std::make_unique_for_overwrite<std::uint8_t[]>(blockBytes)) {}

  std::optional<std::string_view> operator()() {
    const std::ptrdiff_t got = platform::ReadAt(file_, offset_, {block_.get(), blockBytes_}, error_);
    if (got < 0) return std::nullopt;
    offset_ += static_cast<std::size_t>(got);
    return std::string_view(reinterpret_cast<const char*>(block_.get()), static_cast<std::size_t>(got));
  }

 private:
  platform::NativeFile file_;
  platform::SystemError& error_;
  std::size_t blockBytes_;
  std::unique_ptr<std::uint8_t[]> block_;
  std::size_t offset_ = 0;
};

// The track of a regular XML file, read in pieces on the threads (ReadXmlTrackFile); in one
// piece when the pieces do not fit together after all. Blocks of `blockBytes` are read.
LogTrack FromXmlFile(const InputFile& file, Progress& progress, const Parallelism& parallelism, std::size_t blockBytes,
                     platform::SystemError& error) {
  std::optional<XmlPiecesRead> pieces = ReadXmlTrackFile(file.File(), file.SizeWhenOpened(), blockBytes, parallelism, error);
  if (!pieces) return error != 0 ? LogTrack{} : FromXml(BlockReader(file.File(), error, blockBytes), progress, parallelism);
  for (std::uint64_t told = 100; told <= pieces->LinesTold; told += 100) progress.LogLinesRead(static_cast<std::int64_t>(told));
  LogTrack log;
  log.Content = LogContent::kXml;
  log.Xml = pieces->Stop;
  log.KeptLines = pieces->Points;
  log.Points = JoinChunks(pieces->Chunks, parallelism);
  return log;
}

// What a regular file that gave no track held, read again in blocks: only such files pay for it.
std::optional<LogContent> ContentOfFile(platform::NativeFile file, platform::SystemError& error) {
  BlockReader read(file, error);
  SentenceSpotter spotter;
  bool first = true;
  for (std::optional<std::string_view> block; (block = read()) && !block->empty() && !spotter.Settled();) {
    if (std::exchange(first, false) && block->starts_with(kUtf8ByteOrderMark)) block->remove_prefix(kUtf8ByteOrderMark.size());
    spotter.Feed(*block);
  }
  if (error != 0) return std::nullopt;
  return spotter.Content();
}

// True when the file is now shorter than what was read of it: a read racing with the cut may
// have given zeros for bytes past the new end.
bool ShrankBelow(const InputFile& file, std::size_t readTo) {
  platform::FileStatus now;
  platform::SystemError ignored = 0;
  return platform::StatusOf(file.File(), now, ignored) && now.Size < readTo;
}

}  // namespace

bool MayHoldTrack(const std::string& path) {
  platform::SystemError error = 0;
  const platform::NativeFile file = platform::OpenForReading(path, false, error);
  if (file == platform::kNoFile) return false;
  const auto start = std::make_unique_for_overwrite<std::uint8_t[]>(kSniffedLogBytes);
  const std::ptrdiff_t got = platform::ReadAt(file, 0, {start.get(), kSniffedLogBytes}, error);
  platform::CloseFile(file);
  if (got <= 0) return false;
  std::string_view bytes(reinterpret_cast<const char*>(start.get()), static_cast<std::size_t>(got));
  if (LooksLikeXml(bytes.substr(0, kSniffedBytes))) return true;
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  SentenceSpotter spotter;
  spotter.Feed(bytes);
  return spotter.Settled();
}

Loaded<LogTrack> ReadTrack(const std::string& path, Progress& progress, const Parallelism& parallelism,
                           std::size_t windowBytes) {
  InputFile file;
  if (auto problem = OpenLog(path, file)) return {{}, problem};
  if (!file.IsRegular()) return FromWholeLog(file, progress, parallelism);

  platform::SystemError error = 0;
  if (StartsGzipped(file.File(), error)) {
    std::optional<LogTrack> inflated =
        FromGzip([&]() -> ByteBlocks {
          return [read = std::make_shared<BlockReader>(file.File(), error)] { return (*read)(); };
        }, progress, parallelism);
    if (!inflated) return {{}, FileError{FileError::Problem::kCannotOpen, platform::ErrorText(error)}};
    return {std::move(*inflated), std::nullopt};
  }
  const bool startsLikeXml = StartsLikeXml(file.File(), error);
  if (startsLikeXml) {
    Loaded<LogTrack> xml{FromXmlFile(file, progress, parallelism, windowBytes, error), std::nullopt};
    if (error != 0) return {{}, FileError{FileError::Problem::kCannotOpen, platform::ErrorText(error)}};
    if (!IsNoXmlAtAll(xml.Value)) return xml;
  }
  if (error != 0) return {{}, FileError{FileError::Problem::kCannotOpen, platform::ErrorText(error)}};

  const std::size_t size = file.SizeWhenOpened();
  std::vector<FileChunk> chunks(parallelism.ChunksFor(size, kSmallestChunkBytes));
  SharedReading reading(size, chunks.size());
  ForEachChunk(chunks.size(), parallelism.Threads, [&](std::size_t k) {
    try {
      chunks[k] = ReadChunk(file.File(), k, reading, windowBytes);
    } catch (...) {
      reading.Failed = true;
      throw;
    }
    if (chunks[k].Error != 0) reading.Failed = true;
  });
  std::size_t readTo = 0;
  bool shrank = false;  // a read found the file's end before the size it had when opened
  for (const FileChunk& chunk : chunks) {
    if (chunk.Error != 0) return {{}, FileError{FileError::Problem::kCannotOpen, platform::ErrorText(chunk.Error)}};
    readTo = std::max(readTo, chunk.ReadTo);
    shrank = shrank || (chunk.EndFound && *chunk.EndFound < size);
  }
  // The chunks of a log that shrank meanwhile may not fit together; read it whole instead.
  if (shrank || ShrankBelow(file, readTo)) return FromWholeLog(file, progress, parallelism);

  Loaded<LogTrack> loaded;
  std::int64_t lines = 0;
  std::vector<ChunkTrack> tracks;
  tracks.reserve(chunks.size());
  for (FileChunk& chunk : chunks) {
    lines += chunk.LineCount;
    loaded.Value.KeptLines += chunk.KeptLines;
    tracks.push_back(std::move(chunk.Track));
  }
  TellLinesRead(lines, progress);
  loaded.Value.Points = JoinChunks(tracks, parallelism);
  if (loaded.Value.KeptLines == 0) {
    const std::optional<LogContent> content = ContentOfFile(file.File(), error);
    if (!content) return {{}, FileError{FileError::Problem::kCannotOpen, platform::ErrorText(error)}};
    loaded.Value.Content = *content;
  }
  TellUnreadXml(startsLikeXml, loaded.Value);
  return loaded;
}

}  // namespace routelet
