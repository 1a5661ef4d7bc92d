#pragma once
// One point of the track, and the totals of the whole track.
#include <cstdint>
#include <limits>
#include <string>

namespace routelet {

struct TrackRecord {
  std::int64_t UnixTime = 0;  // UTC instant in whole Unix seconds; 0 for an untimed record
  double Fraction = 0;        // the fix's fraction of a second (0 for whole-second times)
  std::string TimeText;       // local time, "yyyy/mm/dd hh:nn:ss"
  double Lat = 0;             // degrees, north positive
  double Lng = 0;             // degrees, east positive
  double Alt = 0;             // metres, a value a 32-bit float holds exactly
  double Speed = 0;           // km/h
  double Dist = 0;            // km from the first record
};

// The time span of the track and its totals.
struct TrackSummary {
  // An empty span: no timed fix has widened it yet.
  static constexpr std::int64_t kEmptyMinTime = std::numeric_limits<std::int64_t>::max();
  static constexpr std::int64_t kEmptyMaxTime = 0;

  std::int64_t MinTime = kEmptyMinTime;  // Unix seconds of the earliest timed fix
  std::int64_t MaxTime = kEmptyMaxTime;  // Unix seconds of the latest timed fix
  double TotalDist = 0;                  // km
  double AvgSpeed = 0;                   // km/h

  void ResetSpan() {
    MinTime = kEmptyMinTime;
    MaxTime = kEmptyMaxTime;
  }
};

}  // namespace routelet
