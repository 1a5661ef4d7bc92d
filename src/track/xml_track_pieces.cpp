#include "track/xml_track_pieces.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace routelet {
namespace {

// Pieces smaller than this are not worth a parser of their own.
constexpr std::size_t kSmallestPieceBytes = 1024 * 1024;
// The bytes before the first track point are read again by every piece's parser, and held: a
// file with more before its track is read in one piece.
constexpr std::size_t kLongestHead = 1024 * 1024;
constexpr std::size_t kSearchBytes = 4096;  // a track point's start tag is usually within a few hundred

// How one piece's reading went.
struct PieceRead {
  std::optional<std::uint64_t> Start;  // where the piece begins; none for a piece with no cut in it
  ChunkTrack Track;
  std::size_t Points = 0;
  std::optional<std::uint64_t> EndedAt;  // the cut it ended at; none when it read to the end or stopped
  XmlStop Stop;
  std::uint64_t StartLine = 1;  // the parser's line at Start
  std::uint64_t EndLine = 1;    // its line at EndedAt
  std::optional<std::uint64_t> Told;  // its line after the last block read that ended at a block border
  bool Abandoned = false;             // its start was found to be no track point's
  bool Ended = false;                 // its reading is over
  platform::SystemError Error = 0;
};

// The places where the pieces may begin, shared by the threads.
class Cuts {
 public:
  Cuts(platform::NativeFile file, std::size_t size, std::string pattern, std::vector<std::uint64_t> starts)
      : file_(file), size_(size), pattern_(std::move(pattern)), starts_(std::move(starts)), refuted_(starts_.size()) {}

  std::size_t Pieces() const { return starts_.size(); }
  std::uint64_t Start(std::size_t k) const { return starts_[k]; }
  std::uint64_t End(std::size_t k) const { return k + 1 < starts_.size() ? starts_[k + 1] : size_; }

  // The first start tag of the point's name at or after `from`, or the file's size.
  std::uint64_t At(std::uint64_t from) const {
    std::string window(kSearchBytes, '\0');
    for (std::uint64_t offset = from; offset < size_;) {
      platform::SystemError error = 0;
      const std::ptrdiff_t got =
          platform::ReadAt(file_, offset, {reinterpret_cast<std::uint8_t*>(window.data()), window.size()}, error);
      if (got <= 0) {
        if (error != 0) error_.store(error);
        break;
      }
      const std::string_view bytes(window.data(), static_cast<std::size_t>(got));
      for (std::size_t at = bytes.find(pattern_); at != std::string_view::npos; at = bytes.find(pattern_, at + 1)) {
        if (at + pattern_.size() >= bytes.size()) break;  // the byte after the name is in the next window
        const char after = bytes[at + pattern_.size()];
        if (after == ' ' || after == '\t' || after == '\r' || after == '\n' || after == '>' || after == '/') return offset + at;
      }
      if (static_cast<std::size_t>(got) <= pattern_.size()) break;
      offset += static_cast<std::size_t>(got) - pattern_.size();
    }
    return size_;
  }

  // The cut after `cut`: the first start tag at or after the next piece's nominal start.
  std::optional<std::uint64_t> After(std::uint64_t cut) const {
    const auto next = std::upper_bound(starts_.begin(), starts_.end(), cut);
    if (next == starts_.end()) return std::nullopt;
    const std::uint64_t found = At(*next);
    if (found >= size_) return std::nullopt;
    return found;
  }

  // The piece that begins at `cut`.
  std::size_t PieceAt(std::uint64_t cut) const {
    return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), cut) - starts_.begin()) - 1;
  }

  // A cut passed as no track point: the piece that begins there reads nothing of use.
  void Refute(std::uint64_t cut) { refuted_[PieceAt(cut)].store(true, std::memory_order_relaxed); }
  bool Refuted(std::size_t k) const { return refuted_[k].load(std::memory_order_relaxed); }
  platform::SystemError Error() const { return error_.load(); }

 private:
  platform::NativeFile file_;
  std::uint64_t size_;
  std::string pattern_;
  std::vector<std::uint64_t> starts_;  // nominal, of each piece; the first is where the head's reading goes on
  std::vector<std::atomic<bool>> refuted_;
  mutable std::atomic<platform::SystemError> error_ = 0;
};

// Feeds `reader` the file from `offset` on, each block up to the next multiple of `blockBytes`,
// until the reading ends (at a cut, a stop or the file's end) or, with `untilFirstPoint`, once a
// block held the first track point's start tag or the head is too long to hold. Returns where
// the next block would begin.
std::uint64_t ReadOn(XmlTrackReader& reader, platform::NativeFile file, std::uint64_t offset, std::size_t blockBytes,
                     PieceRead& piece, const Cuts* cuts, std::size_t k, bool untilFirstPoint) {
  const auto block = std::make_unique_for_overwrite<std::uint8_t[]>(blockBytes);
  for (;;) {
    if (cuts != nullptr && k > 0 && cuts->Refuted(k)) {
      piece.Abandoned = true;
      break;
    }
    const std::size_t room = blockBytes - static_cast<std::size_t>(offset % blockBytes);
    const std::ptrdiff_t got = platform::ReadAt(file, offset, {block.get(), room}, piece.Error);
    if (got < 0) break;
    if (got == 0) {
      if (reader.Feed({}, true)) piece.Told = reader.Line();
      break;
    }
    if (!reader.Feed({reinterpret_cast<const char*>(block.get()), static_cast<std::size_t>(got)}, false)) break;
    offset += static_cast<std::uint64_t>(got);
    piece.Told = reader.Line();
    if (untilFirstPoint && (reader.FirstPoint() || offset > kLongestHead)) return offset;
  }
  piece.Ended = true;
  return offset;
}

void EndAtCuts(XmlTrackReader& reader, Cuts& cuts, std::uint64_t offset);

void Finish(XmlTrackReader& reader, PieceRead& piece) {
  piece.EndedAt = reader.EndedAt();
  piece.EndLine = reader.Line();
  piece.Stop = reader.Stop();
  piece.Points = reader.Points();
  piece.Track = reader.Finish();
}

// Reads piece `k` (not the first) with a parser of its own, from its first cut to the first cut
// after it that the parser confirms.
PieceRead ReadPiece(platform::NativeFile file, std::size_t blockBytes, Cuts& cuts, std::size_t k,
                    const XmlPointContext& context, std::string_view head) {
  PieceRead piece;
  const std::uint64_t start = cuts.At(cuts.Start(k));
  if (start >= cuts.End(k)) return piece;  // the next piece begins at the same cut
  piece.Start = start;
  piece.StartLine = context.Line;
  XmlTrackReader reader(context, head, start);
  EndAtCuts(reader, cuts, start);
  ReadOn(reader, file, start, blockBytes, piece, &cuts, k, false);
  Finish(reader, piece);
  return piece;
}

// The pieces, from the first on, each from where the one before it ended.
std::optional<XmlPiecesRead> JoinPieces(std::vector<PieceRead>& pieces, const Cuts& cuts, platform::SystemError& error) {
  XmlPiecesRead joined;
  std::uint64_t line = 1;  // the file's line where the piece begins
  for (std::size_t k = 0;;) {
    PieceRead& piece = pieces[k];
    if (piece.Error != 0) {
      error = piece.Error;
      return std::nullopt;
    }
    const auto fileLine = [&](std::uint64_t pieceLine) { return pieceLine - piece.StartLine + line; };
    if (piece.Told) joined.LinesTold = fileLine(*piece.Told);
    joined.Chunks.push_back(std::move(piece.Track));
    joined.Points += piece.Points;
    if (!piece.EndedAt) {
      joined.Stop = piece.Stop;
      if (joined.Stop.What != XmlStop::Reason::kNone) joined.Stop.Line = fileLine(joined.Stop.Line);
      return joined;
    }
    line = fileLine(piece.EndLine);
    k = cuts.PieceAt(*piece.EndedAt);
    // A piece given up as starting at no track point, although one did: read in one piece from there.
    if (pieces[k].Abandoned || pieces[k].Start != piece.EndedAt) return std::nullopt;
  }
}

// The file's bytes before its first track point, when there are few enough to hold.
std::optional<std::string> HeadBytes(platform::NativeFile file, std::uint64_t size, platform::SystemError& error) {
  if (size > kLongestHead) return std::nullopt;
  std::string bytes(size, '\0');
  const std::ptrdiff_t got = platform::ReadAt(file, 0, {reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()}, error);
  if (got < 0 || static_cast<std::size_t>(got) != bytes.size()) return std::nullopt;
  return bytes;
}

// Makes `reader` end at the first cut after `offset` that it confirms.
void EndAtCuts(XmlTrackReader& reader, Cuts& cuts, std::uint64_t offset) {
  const std::optional<std::uint64_t> next = cuts.After(offset);
  if (!next) return;
  reader.EndAtCut(*next, [&cuts](std::uint64_t passed) {
    cuts.Refute(passed);
    return cuts.After(passed);
  });
}

}  // namespace

std::optional<XmlPiecesRead> ReadXmlTrackFile(platform::NativeFile file, std::size_t size, std::size_t blockBytes,
                                              const Parallelism& parallelism, platform::SystemError& error) {
  XmlTrackReader headReader;
  headReader.WatchFirstPoint(kLongestHead);
  std::vector<PieceRead> pieces(1);
  pieces[0].Start = 0;
  const std::uint64_t readTo = ReadOn(headReader, file, 0, blockBytes, pieces[0], nullptr, 0, true);
  const std::optional<XmlPointContext>& first = headReader.FirstPoint();
  const std::size_t count = readTo < size ? parallelism.ChunksFor(size - readTo, kSmallestPieceBytes) : 1;
  std::optional<std::string> head;
  if (first && count > 1 && !pieces[0].Ended) head = HeadBytes(file, first->Offset, pieces[0].Error);
  if (!head) {
    Cuts whole(file, size, {}, {0});
    if (!pieces[0].Ended) ReadOn(headReader, file, readTo, blockBytes, pieces[0], nullptr, 0, false);
    Finish(headReader, pieces[0]);
    return JoinPieces(pieces, whole, error);
  }
  std::vector<std::uint64_t> starts(count);
  for (std::size_t k = 0; k < count; ++k) starts[k] = readTo + ChunkStart(size - readTo, count, k);
  Cuts cuts(file, size, "<" + first->Name, std::move(starts));
  pieces.resize(count);
  ForEachChunk(count, parallelism.Threads, [&](std::size_t k) {
    if (k > 0) {
      pieces[k] = ReadPiece(file, blockBytes, cuts, k, *first, *head);
      return;
    }
    EndAtCuts(headReader, cuts, readTo);
    ReadOn(headReader, file, readTo, blockBytes, pieces[0], &cuts, 0, false);
    Finish(headReader, pieces[0]);
  });
  if (cuts.Error() != 0) {
    error = cuts.Error();
    return std::nullopt;
  }
  return JoinPieces(pieces, cuts, error);
}

}  // namespace routelet
