#pragma once
// A log's track built in chunks of its sentences, each chunk on its own (on any thread), then
// joined into exactly what one pass over all the sentences makes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/dates.h"
#include "runtime/parallel.h"
#include "track/nmea_sentence.h"
#include "track/track.h"
#include "track/utc_offset.h"

namespace routelet {

// The altitude that position sentences carry: the latest fix sentence's, as a 32-bit float.
struct CarriedAltitude {
  float metres = 0;
  bool known = false;  // the sentence had an altitude; an empty field reads as 0 but is not known
};

// The instant of Unix time 0 for a track before any timed fix: the day serial 0.
inline constexpr std::int64_t kUnixTimeOfSerialZero = -static_cast<std::int64_t>(kUnixEpochSerial) * 86400;

// The latest timed fix: the local time of every record up to the next one.
struct LastFix {
  DaySerial Instant = 0;
  std::int64_t UnixTime = kUnixTimeOfSerialZero;
};

// The records of one chunk of a log's sentences, made as if the chunk began the log, and how far
// that guess reaches: the records before the chunk's first altitude, and before its first (and
// second) timed record, carry what the lines before the chunk say, and its first record may
// repeat the record before the chunk. JoinChunks sets those right.
struct ChunkTrack {
  std::vector<TrackRecord> Records;  // Dist: from the chunk's record before (0 for its first)
  std::size_t BeforeAltitude = 0;    // records made before the first fix sentence that counted
  std::size_t BeforeTimed[2] = {};   // records made before the first and the second timed one
  std::optional<CarriedAltitude> Altitude;  // what the chunk leaves, when a fix sentence set it
  LastFix Fix;                              // its latest timed record's, when it has one
  TimeSpan Span;                            // of its timed records after the first record
  bool FirstIsTimed = false;
  // A new segment was begun before the chunk's first record; after its last one (for a chunk
  // without records: at all). A track file read in pieces needs them to number its segments.
  bool SegmentBeforeFirst = false;
  bool SegmentAfterLast = false;
};

// A usable track point, as a position sentence or an XML track point gives it.
struct PointFix {
  double lat = 0;
  double lng = 0;
  bool timed = false;
  DaySerial instant = 0;  // UTC, whole seconds; only when timed
  std::int64_t unixTime = 0;
  double fraction = 0;
  int fractionDigits = 0;  // the digits that make `fraction`, as many as the source wrote (at most 15)
};

// Builds a chunk's records sentence by sentence; lines of other kinds are passed over.
class ChunkBuilder {
 public:
  // `expectedRecords`: room reserved for the records at the start.
  explicit ChunkBuilder(std::size_t expectedRecords = 0) { chunk_.Records.reserve(expectedRecords); }

  // Adds a line whose kind (KindOfSentence) the caller has found.
  void Add(std::string_view line, SentenceKind kind);
  // Adds a usable point with its altitude: a position sentence's, with the altitude the fix
  // sentences carry, or an XML track point's, with its own.
  void AddPoint(const PointFix& fix, const CarriedAltitude& altitude);
  // The next point starts a new segment (a track file's next piece), unless no point came since
  // the last one started.
  void StartSegment();
  // The chunk; the builder is done with.
  ChunkTrack Finish();

 private:
  ChunkTrack chunk_;
  std::vector<std::string_view> fields_;
  UtcOffsetCache offsets_;
  CarriedAltitude altitude_;
  std::size_t timedSeen_ = 0;
  std::uint32_t segment_ = 0;  // of the next record
};

// The track that the chunks, in log order, make together: their records as one pass would have
// made them, the time span, the distances added up from the first record, the speeds, the
// segments and the totals (DescribeSegments).
// Empties the chunks.
Track JoinChunks(std::vector<ChunkTrack>& chunks, const Parallelism& parallelism);

}  // namespace routelet
