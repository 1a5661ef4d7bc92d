// Segments: where distance and speed stop, each piece's totals, and several logs' tracks joined.
#include "track/segments.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "track/build_track.h"

namespace routelet {
namespace {

// The track of fixes at `seconds` after 00:00:00 UTC on day `day` of November 2011, each
// `north` minutes of latitude north of the one before.
Track Fixes(const std::vector<int>& seconds, double north = 0.1, int day = 5) {
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < seconds.size(); ++k) {
    const int s = seconds[k];
    char line[96];
    std::snprintf(line, sizeof line, "$GPRMC,%02d%02d%02d,A,35%07.4f,N,13900.0000,E,0.0,0.0,%02d1111,,", s / 3600,
                  s / 60 % 60, s % 60, static_cast<double>(k) * north, day);
    lines.emplace_back(line);
  }
  return BuildTrack(GpsLog{{}, {lines.begin(), lines.end()}});
}

// Each segment as "records/elapsed/moving".
std::string Pieces(const Track& track) {
  std::string text;
  for (const TrackSegment& s : track.Segments) {
    text += std::to_string(s.RecordCount) + "/" + std::to_string(s.ElapsedSeconds) + "/" + std::to_string(s.MovingSeconds) + " ";
  }
  return text;
}

// A split gap cuts where timed fixes lie further apart; moving time leaves out stops and steps
// longer than the split gap or ten minutes.
TEST(Segments, GapsCutTheTrackAndMovingTimeLeavesOutStopsAndGaps) {
  const struct {
    std::vector<int> seconds;
    double north;
    std::int64_t splitGap;
    const char* pieces;
  } cases[] = {
      {{0, 10, 20, 1000, 1010}, 0.1, 0, "5/1010/30 "},
      {{0, 10, 20, 1000, 1010}, 0.1, 300, "3/20/20 2/10/10 "},
      {{0, 10, 20, 320, 330}, 0.1, 300, "5/330/330 "},
      {{0, 10, 20, 30}, 0, 0, "4/30/0 "},
      {{0}, 0.1, 60, "1/0/0 "},
  };
  for (const auto& c : cases) {
    Track track = Fixes(c.seconds, c.north);
    const double whole = track.TotalDist;
    SplitAtGaps(track, {c.splitGap});
    EXPECT_EQ(Pieces(track), c.pieces) << c.splitGap;
    double sum = 0;
    for (const TrackSegment& s : track.Segments) sum += s.Dist;
    EXPECT_DOUBLE_EQ(track.TotalDist, sum);
    if (track.Segments.size() < 2) continue;
    // The step across the break counts for nothing, and neither side's speed looks across it.
    const std::vector<TrackRecord>& r = track.Records;
    EXPECT_EQ(r[3].Dist, r[2].Dist);
    EXPECT_NEAR(track.TotalDist, whole * 3 / 4, 1e-6);
    EXPECT_NEAR(r[2].Speed, r[1].Speed, 1e-3);
    EXPECT_NEAR(r[3].Speed, r[4].Speed, 1e-3);
    EXPECT_NEAR(track.AvgSpeed, r[1].Speed, 1e-3);  // the days' time only, not the night's
  }
}

// Three days given out of order: one track in time order whose totals are the days' sums and
// whose records keep each day's speeds; logs whose spans overlap are named.
TEST(Segments, DaysTogetherAreTheSumOfTheDaysAlone) {
  std::vector<Track> days = {Fixes({0, 60, 120}, 0.2, 7), Fixes({0, 30}, 0.3, 5), Fixes({100, 200, 300, 400}, 0.1, 6)};
  const std::vector<Track> alone = days;
  const std::vector<std::size_t> order = TrackOrder(days);
  EXPECT_EQ(order, (std::vector<std::size_t>{1, 2, 0}));
  EXPECT_TRUE(OverlappingTracks(days, order).empty());
  const Track joined = JoinTracks(days, order);
  EXPECT_EQ(joined.TotalDist, alone[1].TotalDist + alone[2].TotalDist + alone[0].TotalDist);
  ASSERT_EQ(joined.Segments.size(), 3u);
  std::size_t at = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    const Track& day = alone[order[k]];
    EXPECT_EQ(joined.Segments[k].FirstRecord, at);
    EXPECT_EQ(joined.Records[at].Dist, at == 0 ? 0 : joined.Records[at - 1].Dist) << "nothing across the night";
    for (const TrackRecord& record : day.Records) EXPECT_EQ(joined.Records[at++].Speed, record.Speed);
  }
  EXPECT_EQ(joined.Span.MinTime, alone[1].Span.MinTime);
  EXPECT_EQ(joined.Span.MaxTime, alone[0].Span.MaxTime);

  const std::vector<Track> overlapping = {Fixes({0, 100}), Fixes({300, 400}), Fixes({100, 200}), Fixes({50, 60})};
  EXPECT_EQ(OverlappingTracks(overlapping, TrackOrder(overlapping)), (std::vector<std::size_t>{0, 3}));
}

}  // namespace
}  // namespace routelet
