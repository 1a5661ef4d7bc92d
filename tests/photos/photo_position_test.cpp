// Photos placed on the track by their instant: between two fixes, at the nearest, or nowhere.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "photos/photo_position.h"

namespace routelet {
namespace {

// A fix: Unix seconds, segment, latitude, longitude, altitude (NaN: unknown).
struct Fix {
  std::int64_t Time;
  std::uint32_t Segment;
  double Lat, Lng, Alt;
};

Track TrackOf(const std::vector<Fix>& fixes) {
  Track track;
  for (const Fix& f : fixes) {
    track.Records.push_back({.UnixTime = f.Time, .Lat = f.Lat, .Lng = f.Lng, .Alt = std::isnan(f.Alt) ? 0 : f.Alt,
                             .AltKnown = !std::isnan(f.Alt), .Segment = f.Segment});
  }
  return track;
}

std::string Text(const std::optional<GeoPosition>& position) {
  if (!position) return "-";
  char text[80];
  std::snprintf(text, sizeof text, "%.6f %.6f %s", position->Lat, position->Lng,
                position->Alt ? std::to_string(*position->Alt).substr(0, 4).c_str() : "-");
  return text;
}

// Segment 0 runs 1000..1300 with a 200 s gap after 1100, written with a clock that steps back
// once; segment 1 starts 100 s after it ends, across the 180th meridian; an untimed record is
// never a fix to place by.
TEST(TrackPositions, EachRuleOnATrackOfTwoSegments) {
  const double unknown = std::nan("");
  const Track track = TrackOf({{1000, 0, 10, 20, 100}, {1100, 0, 10.1, 20.2, 200}, {0, 0, 50, 50, 0},
                               {1300, 0, 10.3, 20.3, unknown}, {1060, 0, 10.06, 20.12, 160},
                               {1400, 1, 11, 179.5, 0}, {1500, 1, 11, -179.5, 10}});
  const std::vector<std::pair<std::int64_t, std::string>> rows = {
      {1000, "10.000000 20.000000 100."},   // a fix's own instant
      {1030, "10.030000 20.060000 130."},   // between, the stepped-back fix in its time place
      {1080, "10.080000 20.160000 180."},
      {1150, "10.100000 20.200000 200."},   // gap of 200 s > 120: nearest within 60 s
      {1161, "-"},                          // 61 s from the nearest fix
      {1250, "10.300000 20.300000 -"},      // nearest, whose altitude is unknown
      {1350, "-"},                          // the break between the segments, 50 s from each
      {1450, "11.000000 180.000000 5.00"},  // across the meridian the short way
      {1475, "11.000000 -179.750000 7.50"},
      {940, "10.000000 20.000000 100."},   // before the first fix, within 60 s
      {1560, "11.000000 -179.500000 10.0"}, // after the last fix, within 60 s
  };
  const TrackPositions positions(track, 120);
  for (const auto& [time, expected] : rows) EXPECT_EQ(Text(positions.At(time)), expected) << time;
  // With a larger --max-gap the photo in the gap is placed between its fixes.
  EXPECT_EQ(Text(TrackPositions(track, 200).At(1150)), "10.150000 20.225000 -");
}

}  // namespace
}  // namespace routelet
