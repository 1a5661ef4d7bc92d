#pragma once
// The pieces of a track: where one ends and the next begins, each piece's own totals, and several
// logs' tracks made one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "track/track.h"

namespace routelet {

// How a track is cut besides its logs and the pieces a track file holds (GPX <trkseg>, TCX
// <Track>, KML <gx:Track>).
struct SegmentRules {
  // Two consecutive timed records further apart than this many seconds start a new segment;
  // 0 cuts nowhere.
  std::int64_t SplitGapSeconds = 0;
};

// The time between two consecutive timed records of a segment counts as moving when it is
// positive, at most this long (or the split gap, when one is given), and the speed over it is at
// least kMovingKmh: a stop, and a gap where the receiver lost its fix, are not moving.
inline constexpr std::int64_t kLongestMovingStepSeconds = 10 * 60;
inline constexpr double kMovingKmh = 1;

// The seconds from `from` to `to`, fractions included; both must be timed.
inline double SecondsBetween(const TrackRecord& from, const TrackRecord& to) {
  return static_cast<double>(to.UnixTime - from.UnixTime) + (to.Fraction - from.Fraction);
}

// km/h for `km` covered from `from` to `to`; 0 unless both are timed and time moved forward.
inline double SpeedKmh(double km, const TrackRecord& from, const TrackRecord& to) {
  if (!IsTimed(from) || !IsTimed(to)) return 0;
  const double seconds = SecondsBetween(from, to);
  if (!(seconds > 0)) return 0;
  return km * 3600 / seconds;
}

// The speed at record `i`: taken across its two neighbours, or at a segment's end across its one
// neighbour in the segment, never across a break; 0 for a segment of one record.
inline double SpeedAt(const std::vector<TrackRecord>& r, std::size_t i) {
  const bool first = i == 0 || r[i - 1].Segment != r[i].Segment;
  const bool last = i + 1 == r.size() || r[i + 1].Segment != r[i].Segment;
  if (first && last) return 0;
  if (first) return SpeedKmh(r[i + 1].Dist - r[i].Dist, r[i], r[i + 1]);
  if (last) return SpeedKmh(r[i].Dist - r[i - 1].Dist, r[i - 1], r[i]);
  return SpeedKmh(r[i + 1].Dist - r[i - 1].Dist, r[i - 1], r[i + 1]);
}

// Fills the track's Segments from its records (their Segment indices, increasing in record
// order; Dist running on across breaks without adding to them), and its totals: TotalDist is the
// sum of the segments' distances, AvgSpeed the distance of the segments with a positive time from
// their first timed record to their last over the sum of those times. For a track of one segment
// these are its last record's Dist, and its distance over its time, as for a track of old.
// `longestMovingStep`: see kLongestMovingStepSeconds.
void DescribeSegments(Track& track, std::int64_t longestMovingStep = kLongestMovingStepSeconds);

// Starts a new segment at every timed record that comes more than rules.SplitGapSeconds after
// the timed record before it in its segment; the distance between them no longer counts, and the
// speeds at both sides of each new break are taken within their own segments. Describes the
// segments again, moving time counted up to the split gap. Nothing when no split gap is given.
void SplitAtGaps(Track& track, const SegmentRules& rules);

// The order in which several logs' tracks make one: by the time of their first timed record
// (in record order); tracks without a timed record after the others, each group in the order
// given.
std::vector<std::size_t> TrackOrder(const std::vector<Track>& tracks);

// The tracks, in `order`, whose time span overlaps another's (an end shared is no overlap).
std::vector<std::size_t> OverlappingTracks(const std::vector<Track>& tracks, const std::vector<std::size_t>& order);

// The tracks in `order` as one: each keeps its own segments and speeds, the distances run on
// from each track's end without adding anything across, the span takes every track's in, and the
// totals are those of the segments (DescribeSegments). Empties `tracks`.
Track JoinTracks(std::vector<Track>& tracks, const std::vector<std::size_t>& order);

}  // namespace routelet
