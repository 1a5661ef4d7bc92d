#pragma once
// The track: one record per point, its time span and its totals.
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "runtime/dates.h"

namespace routelet {

struct TrackRecord {
  std::int64_t UnixTime = 0;  // UTC instant in whole Unix seconds; 0 for an untimed record
  double Fraction = 0;        // the fix's fraction of a second (0 for whole-second times)
  DaySerial LocalTime = 0;    // local time (of the latest timed record for an untimed one); its
                              // text is made as the page is written, not held: millions of records
  double Lat = 0;             // degrees, north positive
  double Lng = 0;             // degrees, east positive
  double Alt = 0;             // metres, a value a 32-bit float holds exactly
  bool AltKnown = false;      // false before any fix sentence and after one without an altitude
  std::uint8_t FractionDigits = 0;  // how many digits of Fraction the log wrote (at most 15)
  std::uint32_t Segment = 0;  // 0-based index of the segment (a log, a GPX trkseg, a piece
                              // between two gaps) the record belongs to; fits the padding above
  double Speed = 0;           // km/h
  double Dist = 0;            // km from the first record
};

// A record is timed when its sentence had a usable time and date.
inline bool IsTimed(const TrackRecord& record) { return record.UnixTime != 0; }

// Minutes east of UTC of a timed record's local time: its zone's offset at its instant.
inline std::int32_t OffsetMinutesOf(const TrackRecord& record) {
  const double localSeconds = (record.LocalTime - kUnixEpochSerial) * 86400.0;
  return static_cast<std::int32_t>(std::lround((localSeconds - static_cast<double>(record.UnixTime)) / 60.0));
}

// The Unix seconds from the earliest timed fix to the latest, both included. A track without a
// timed fix has the empty span, which contains no instant.
struct TimeSpan {
  std::int64_t MinTime = std::numeric_limits<std::int64_t>::max();
  std::int64_t MaxTime = 0;

  void Widen(std::int64_t unixTime) {
    if (unixTime < MinTime) MinTime = unixTime;
    if (unixTime > MaxTime) MaxTime = unixTime;
  }
  // Takes in every instant of `other` (nothing when it is empty).
  void Widen(const TimeSpan& other) {
    if (other.MinTime < MinTime) MinTime = other.MinTime;
    if (other.MaxTime > MaxTime) MaxTime = other.MaxTime;
  }
  bool Contains(std::int64_t unixTime) const { return unixTime >= MinTime && unixTime <= MaxTime; }
};

// One piece of the track without a break: a log of several given together, a GPX trkseg, or
// the part between two gaps longer than --split-gap. Distance and speed never run across a break.
struct TrackSegment {
  std::size_t FirstRecord = 0;  // index in Track::Records
  std::size_t RecordCount = 0;
  TimeSpan Span;                // of the segment's timed records
  double Dist = 0;              // km, within the segment
  std::int64_t ElapsedSeconds = 0;  // from its earliest to its latest timed record
  std::int64_t MovingSeconds = 0;   // the time between consecutive timed records spent moving
};

struct Track {
  std::vector<TrackRecord> Records;
  // The segments in record order, covering every record: one for a track without breaks (one
  // log, no --split-gap), none for a track without records.
  std::vector<TrackSegment> Segments;
  TimeSpan Span;
  double TotalDist = 0;  // km
  double AvgSpeed = 0;   // km/h
  // The zone the records' local times are in, when the run named one ("Europe/Rome"); empty for
  // the machine's zone or a fixed offset, which the records' offsets tell.
  std::string ZoneName;
};

}  // namespace routelet
