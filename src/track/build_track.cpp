#include "track/build_track.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/dates.h"
#include "runtime/numbers.h"
#include "runtime/text_helpers.h"
#include "runtime/utf8.h"
#include "track/great_circle.h"
#include "track/nmea_sentence.h"
#include "track/segments.h"
#include "track/track_chunks.h"
#include "track/utc_offset.h"

namespace routelet {
namespace {

using Fields = std::vector<std::string_view>;

// Both kinds are read up to field 9; a sentence with fewer fields is cut off or damaged.
constexpr std::size_t kMinFields = 10;

// Field numbers of a position sentence: $xxRMC,time,status,lat,N/S,lng,E/W,speed,course,date,...
constexpr std::size_t kRmcTime = 1;
constexpr std::size_t kRmcStatus = 2;
constexpr std::size_t kRmcLat = 3;
constexpr std::size_t kRmcNorthSouth = 4;
constexpr std::size_t kRmcLng = 5;
constexpr std::size_t kRmcEastWest = 6;
constexpr std::size_t kRmcDate = 9;
// Field number of the altitude above mean sea level in a fix sentence: $xxGGA,...,alt,M,...
constexpr std::size_t kGgaAltitude = 9;

constexpr std::size_t kTimeDigits = 6;  // hhmmss, and ddmmyy
constexpr int kMaxFractionDigits = 15;  // beyond these a digit cannot change the double

// What a usable position sentence says.
using PositionFix = PointFix;

// "ddmm.mmmm" or "dddmm.mmmm" to degrees: the whole degrees are the integer part (rounded
// half to even) divided by 100; the rest are minutes. False when the number is too large.
bool NmeaDegrees(std::string_view field, double& degrees) {
  const double raw = Val(field);
  const std::optional<std::int32_t> whole = ToInt32(raw);
  if (!whole) return false;
  const std::int32_t wholeDegrees = *whole / 100;
  degrees = (raw - wholeDegrees * 100) / 60 + wholeDegrees;
  return true;
}

// A time field "hhmmss" or "hhmmss." followed by digits: the six digits' text, the fraction
// of a second and how many of its digits were read. False for every other form, which leaves the
// record untimed.
bool SplitTimeField(std::string_view field, std::string_view& wholeSeconds, double& fraction, int& used) {
  fraction = 0;
  used = 0;
  if (Utf16Length(field) == kTimeDigits) {
    wholeSeconds = field;
    return true;
  }
  const std::string_view head = field.substr(0, kTimeDigits);
  if (field.size() < kTimeDigits + 2 || field[kTimeDigits] != '.' ||
      Utf16Length(head) != kTimeDigits) {
    return false;
  }
  std::uint64_t digits = 0;
  double scale = 1;
  for (char c : field.substr(kTimeDigits + 1)) {
    if (c < '0' || c > '9') return false;
    if (used++ < kMaxFractionDigits) {
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      scale *= 10;
    }
  }
  wholeSeconds = head;
  used = std::min(used, kMaxFractionDigits);
  fraction = static_cast<double>(digits) / scale;
  return true;
}

// The UTC instant of a time "hhmmss" and a date "ddmmyy" (years 2000 + yy); parts out of range
// carry into the next larger unit. False when a number cannot be converted.
bool ReadInstant(std::string_view time, std::string_view date, PositionFix& fix) {
  const std::optional<std::int32_t> t = ToInt32(Val(time));
  const std::optional<std::int32_t> d = ToInt32(Val(date));
  if (!t || !d) return false;
  fix.instant = DateFromParts(2000 + *d % 100, (*d / 100) % 100, *d / 10000) +
                TimeFromParts(*t / 10000, (*t / 100) % 100, *t % 100);
  const std::optional<std::int64_t> unixTime =
      ToInt64((fix.instant - kUnixEpochSerial) * 60 * 60 * 24);
  if (!unixTime) return false;
  fix.unixTime = *unixTime;
  return true;
}

// A position sentence's fix, or false when it makes no record: too few fields, no fix (status
// "V" or an empty coordinate), or a number that cannot be converted.
bool ReadPosition(const Fields& f, PositionFix& fix) {
  if (f.size() < kMinFields) return false;
  if (f[kRmcStatus] == "V" || f[kRmcLat].empty() || f[kRmcLng].empty()) return false;
  if (!NmeaDegrees(f[kRmcLat], fix.lat) || !NmeaDegrees(f[kRmcLng], fix.lng)) return false;
  if (f[kRmcNorthSouth] == "S") fix.lat = -fix.lat;
  if (f[kRmcEastWest] == "W") fix.lng = -fix.lng;

  std::string_view wholeSeconds;
  fix.timed = SplitTimeField(f[kRmcTime], wholeSeconds, fix.fraction, fix.fractionDigits) &&
              Utf16Length(f[kRmcDate]) == kTimeDigits;
  if (!fix.timed) {
    fix.fraction = 0;
    fix.fractionDigits = 0;
    return true;
  }
  return ReadInstant(wholeSeconds, f[kRmcDate], fix);
}

// A fix sentence's altitude as the nearest 32-bit float, or false when it has too few fields or
// an altitude no float can hold.
bool ReadAltitude(const Fields& f, CarriedAltitude& altitude) {
  if (f.size() < kMinFields) return false;
  const double metres = Val(f[kGgaAltitude]);
  if (!(std::fabs(metres) <= std::numeric_limits<float>::max())) return false;
  altitude = {static_cast<float>(metres), !f[kGgaAltitude].empty()};
  return true;
}

// A receiver that reports each fix under two talkers ($GPRMC and $GARMC) gives the same fix twice.
// `record` is the candidate, made from a fix that is timed or not.
bool RepeatsRecord(const TrackRecord& previous, const TrackRecord& record, bool timed) {
  return timed && previous.UnixTime == record.UnixTime && previous.Fraction == record.Fraction &&
         previous.Lat == record.Lat && previous.Lng == record.Lng;
}

// The local time of a fix at `instant`, with the zone's offset at that instant.
DaySerial LocalTimeAt(DaySerial instant, std::int64_t unixTime, UtcOffsetCache& offsets) {
  const std::int32_t offset = offsets.OffsetAt(unixTime);
  return offset / 60.0 / 24.0 + instant;
}

// A large log's kept lines, and its records, are cut into chunks of at least this many, one
// thread each at a time.
constexpr std::size_t kSmallestChunkLines = 16384;

// The record that a usable position sentence makes, before its local time and distance are known.
TrackRecord RecordOf(const PositionFix& fix, const CarriedAltitude& altitude) {
  TrackRecord record;
  record.UnixTime = fix.timed ? fix.unixTime : 0;
  record.Fraction = fix.fraction;
  record.FractionDigits = static_cast<std::uint8_t>(fix.fractionDigits);
  record.Lat = fix.lat;
  record.Lng = fix.lng;
  record.Alt = altitude.metres;
  record.AltKnown = altitude.known;
  return record;
}

// What the lines before a chunk leave to it.
struct CarriedState {
  CarriedAltitude Altitude;
  LastFix Fix;
  std::optional<TrackRecord> Previous;  // the last record made
};

// Gives the chunk's first records what the lines before it say (the chunk is not the first), and
// leaves out its first record when it repeats the record before in the same segment. Returns how
// many of its first records are left out (0 or 1).
std::size_t SetChunkStart(ChunkTrack& chunk, const CarriedState& carried, UtcOffsetCache& offsets, bool sameSegment) {
  std::vector<TrackRecord>& records = chunk.Records;
  const bool continues = sameSegment && carried.Previous;
  const bool repeats = continues && chunk.FirstIsTimed && RepeatsRecord(*carried.Previous, records[0], true);
  const std::size_t first = repeats ? 1 : 0;
  for (std::size_t i = first; i < chunk.BeforeAltitude; ++i) {
    records[i].Alt = carried.Altitude.metres;
    records[i].AltKnown = carried.Altitude.known;
  }
  // A first record that is left out set the local time of the records after it, up to the next
  // timed one; they take the time from before the chunk instead, as they would have.
  const std::size_t untimed = repeats ? chunk.BeforeTimed[1] : chunk.BeforeTimed[0];
  if (first < untimed) {
    const DaySerial localTime = LocalTimeAt(carried.Fix.Instant, carried.Fix.UnixTime, offsets);
    for (std::size_t i = first; i < untimed; ++i) records[i].LocalTime = localTime;
  }
  // After a left-out record the next one's distance is already right: it has the same position.
  if (!repeats && continues && !records.empty()) {
    records[0].Dist = GreatCircleKm(carried.Previous->Lat, carried.Previous->Lng, records[0].Lat, records[0].Lng);
  }
  return first;
}

// The chunks' records, one after another, as one pass over all the lines would have made them;
// the time span, and the distances added up from the first record.
void JoinRecords(std::vector<ChunkTrack>& chunks, Track& track, const Parallelism& parallelism) {
  // Where each chunk's records go, once its start is set right; a short pass in log order.
  std::vector<std::size_t> firsts(chunks.size());
  std::vector<std::size_t> places(chunks.size() + 1);
  // What each chunk's segment numbers (from 0) grow by.
  std::vector<std::uint32_t> segmentShifts(chunks.size());
  std::optional<std::uint32_t> lastSegment;  // of the records so far
  bool segmentBegun = false;                 // since the last record
  CarriedState carried;
  UtcOffsetCache offsets;
  for (std::size_t k = 0; k < chunks.size(); ++k) {
    ChunkTrack& chunk = chunks[k];
    const std::vector<TrackRecord>& made = chunk.Records;
    const bool newSegment = lastSegment && (segmentBegun || chunk.SegmentBeforeFirst);
    if (lastSegment) segmentShifts[k] = *lastSegment + (newSegment ? 1 : 0);
    const std::size_t first = k == 0 || made.empty() ? 0 : SetChunkStart(chunk, carried, offsets, !newSegment);
    if (first == 0 && chunk.FirstIsTimed) track.Span.Widen(made[0].UnixTime);
    track.Span.Widen(chunk.Span);
    if (chunk.Altitude) carried.Altitude = *chunk.Altitude;
    // The chunk's latest timed record is its own unless that was the first, left out.
    if (chunk.BeforeTimed[first] < made.size()) carried.Fix = chunk.Fix;
    if (made.size() > first) carried.Previous = made.back();
    firsts[k] = first;
    places[k + 1] = places[k] + made.size() - first;
    segmentBegun = made.empty() ? segmentBegun || chunk.SegmentAfterLast : chunk.SegmentAfterLast;
    if (!made.empty()) lastSegment = made.back().Segment + segmentShifts[k];
  }
  std::vector<TrackRecord>& records = track.Records;
  if (chunks.size() == 1) {
    records = std::move(chunks.front().Records);
  } else {
    records.resize(places.back());
    ForEachChunk(chunks.size(), parallelism.Threads, [&](std::size_t k) {
      const std::vector<TrackRecord>& made = chunks[k].Records;
      const std::uint32_t shift = segmentShifts[k];
      std::transform(made.begin() + static_cast<std::ptrdiff_t>(firsts[k]), made.end(),
                     records.begin() + static_cast<std::ptrdiff_t>(places[k]), [shift](TrackRecord record) {
                       record.Segment += shift;
                       return record;
                     });
      chunks[k].Records = {};
    });
  }
  double dist = 0;
  for (TrackRecord& record : records) record.Dist = dist += record.Dist;
}

void AddSpeeds(std::vector<TrackRecord>& r, const Parallelism& parallelism) {
  const std::size_t n = r.size();
  if (n < 2) return;
  const std::size_t chunks = parallelism.ChunksFor(n, kSmallestChunkLines);
  ForEachChunk(chunks, parallelism.Threads, [&](std::size_t k) {
    for (std::size_t i = ChunkStart(n, chunks, k); i < ChunkStart(n, chunks, k + 1); ++i) r[i].Speed = SpeedAt(r, i);
  });
}

}  // namespace

void ChunkBuilder::Add(std::string_view line, SentenceKind kind) {
  std::string_view body;
  if (kind == SentenceKind::kOther || !CheckSentence(line, body)) return;
  // Fields past the last one read stay in one piece: a line of a million commas costs what a
  // short one does.
  SplitFields(body, ",", fields_, kMinFields + 1);
  std::vector<TrackRecord>& records = chunk_.Records;
  if (kind == SentenceKind::kFix) {
    if (!ReadAltitude(fields_, altitude_)) return;
    if (!chunk_.Altitude) chunk_.BeforeAltitude = records.size();
    chunk_.Altitude = altitude_;
    return;
  }
  PositionFix fix;
  if (!ReadPosition(fields_, fix)) return;
  AddPoint(fix, altitude_);
}

void ChunkBuilder::AddPoint(const PointFix& fix, const CarriedAltitude& altitude) {
  std::vector<TrackRecord>& records = chunk_.Records;
  TrackRecord record = RecordOf(fix, altitude);
  // The first record of a segment neither repeats the record before it nor is any distance from it.
  const bool continues = !records.empty() && records.back().Segment == segment_;
  if (continues && RepeatsRecord(records.back(), record, fix.timed)) return;
  record.Segment = segment_;
  if (fix.timed) {
    if (timedSeen_ < 2) chunk_.BeforeTimed[timedSeen_++] = records.size();
    chunk_.Fix = {fix.instant, fix.unixTime};
    if (records.empty()) {
      chunk_.FirstIsTimed = true;
    } else {
      chunk_.Span.Widen(fix.unixTime);
    }
  }
  record.LocalTime = LocalTimeAt(chunk_.Fix.Instant, chunk_.Fix.UnixTime, offsets_);
  if (continues) record.Dist = GreatCircleKm(records.back().Lat, records.back().Lng, record.Lat, record.Lng);
  records.push_back(record);
  chunk_.SegmentAfterLast = false;
}

void ChunkBuilder::StartSegment() {
  if (chunk_.Records.empty()) chunk_.SegmentBeforeFirst = true;
  chunk_.SegmentAfterLast = true;
  if (!chunk_.Records.empty() && chunk_.Records.back().Segment == segment_) ++segment_;
}

ChunkTrack ChunkBuilder::Finish() {
  if (!chunk_.Altitude) chunk_.BeforeAltitude = chunk_.Records.size();
  for (std::size_t k = timedSeen_; k < 2; ++k) chunk_.BeforeTimed[k] = chunk_.Records.size();
  return std::move(chunk_);
}

Track JoinChunks(std::vector<ChunkTrack>& chunks, const Parallelism& parallelism) {
  Track track;
  if (chunks.empty()) return track;
  JoinRecords(chunks, track, parallelism);
  std::vector<TrackRecord>& records = track.Records;
  AddSpeeds(records, parallelism);
  DescribeSegments(track);
  return track;
}

Track BuildTrack(const GpsLog& log, const Parallelism& parallelism) {
  const std::span<const std::string_view> lines = log.Lines;
  std::vector<ChunkTrack> chunks(parallelism.ChunksFor(lines.size(), kSmallestChunkLines));
  ForEachChunk(chunks.size(), parallelism.Threads, [&](std::size_t k) {
    const std::size_t from = ChunkStart(lines.size(), chunks.size(), k);
    const std::size_t to = ChunkStart(lines.size(), chunks.size(), k + 1);
    // Room for a record per line, the most there can be, reserved once; the room that fix
    // sentences leave unused is never touched, so it costs address space only. (Counting the
    // position sentences first would read every line twice.)
    ChunkBuilder builder(to - from);
    for (std::string_view line : lines.subspan(from, to - from)) builder.Add(line, KindOfSentence(line));
    chunks[k] = builder.Finish();
  });
  return JoinChunks(chunks, parallelism);
}

}  // namespace routelet
