#include "track/segments.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace routelet {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

bool IsEmpty(const TimeSpan& span) { return span.MinTime > span.MaxTime; }

// The seconds from the segment's first timed record to its last, in record order; 0 without two.
double TimedSeconds(const std::vector<TrackRecord>& r, const TrackSegment& segment) {
  const auto begin = r.begin() + static_cast<std::ptrdiff_t>(segment.FirstRecord);
  const auto end = begin + static_cast<std::ptrdiff_t>(segment.RecordCount);
  const auto first = std::find_if(begin, end, IsTimed);
  if (first == end) return 0;
  const auto last = std::find_if(std::make_reverse_iterator(end), std::make_reverse_iterator(first), IsTimed);
  return SecondsBetween(*first, *last);
}

// TotalDist and AvgSpeed from the segments.
void SetTotals(Track& track) {
  double totalKm = 0, timedKm = 0, timedSeconds = 0;
  for (const TrackSegment& segment : track.Segments) {
    totalKm += segment.Dist;
    const double seconds = TimedSeconds(track.Records, segment);
    if (!(seconds > 0)) continue;
    timedKm += segment.Dist;
    timedSeconds += seconds;
  }
  track.TotalDist = totalKm;
  track.AvgSpeed = timedSeconds > 0 ? timedKm * 3600 / timedSeconds : 0;
}

// The segment that begins at record `first`: its records, span, distance, elapsed and moving time.
TrackSegment SegmentFrom(const std::vector<TrackRecord>& r, std::size_t first, double longestMovingStep) {
  TrackSegment segment;
  segment.FirstRecord = first;
  std::size_t lastTimed = kNone;
  double moving = 0;
  std::size_t i = first;
  for (; i < r.size() && r[i].Segment == r[first].Segment; ++i) {
    if (!IsTimed(r[i])) continue;
    segment.Span.Widen(r[i].UnixTime);
    if (lastTimed != kNone) {
      const double step = SecondsBetween(r[lastTimed], r[i]);
      // Compared without dividing: km * 3600 / step >= kMovingKmh.
      if (step > 0 && step <= longestMovingStep && (r[i].Dist - r[lastTimed].Dist) * 3600 >= kMovingKmh * step) {
        moving += step;
      }
    }
    lastTimed = i;
  }
  segment.RecordCount = i - first;
  segment.Dist = r[i - 1].Dist - r[first].Dist;
  if (!IsEmpty(segment.Span)) segment.ElapsedSeconds = segment.Span.MaxTime - segment.Span.MinTime;
  segment.MovingSeconds = std::llround(moving);
  return segment;
}

// The time of a track's first timed record, in record order.
std::optional<std::pair<std::int64_t, double>> FirstTime(const Track& track) {
  const auto first = std::find_if(track.Records.begin(), track.Records.end(), IsTimed);
  if (first == track.Records.end()) return std::nullopt;
  return std::pair{first->UnixTime, first->Fraction};
}

}  // namespace

void DescribeSegments(Track& track, std::int64_t longestMovingStep) {
  track.Segments.clear();
  for (std::size_t first = 0; first < track.Records.size(); first += track.Segments.back().RecordCount) {
    track.Segments.push_back(SegmentFrom(track.Records, first, static_cast<double>(longestMovingStep)));
  }
  SetTotals(track);
}

void SplitAtGaps(Track& track, const SegmentRules& rules) {
  std::vector<TrackRecord>& r = track.Records;
  if (rules.SplitGapSeconds <= 0 || r.empty()) return;
  const double gap = static_cast<double>(rules.SplitGapSeconds);
  std::vector<std::size_t> breaks;
  double removedKm = 0;  // the distances across the new breaks so far
  double previousDist = r[0].Dist;
  std::uint32_t previousSegment = r[0].Segment;
  std::size_t lastTimed = kNone;  // in the segment, as it was before this cut
  for (std::size_t i = 0; i < r.size(); ++i) {
    const double dist = r[i].Dist;
    const std::uint32_t segment = r[i].Segment;
    if (segment != previousSegment) {
      lastTimed = kNone;
    } else if (IsTimed(r[i]) && lastTimed != kNone && SecondsBetween(r[lastTimed], r[i]) > gap) {
      breaks.push_back(i);
      removedKm += dist - previousDist;
    }
    r[i].Segment = segment + static_cast<std::uint32_t>(breaks.size());
    r[i].Dist = dist - removedKm;
    if (IsTimed(r[i])) lastTimed = i;
    previousDist = dist;
    previousSegment = segment;
  }
  for (const std::size_t at : breaks) {
    r[at - 1].Speed = SpeedAt(r, at - 1);
    r[at].Speed = SpeedAt(r, at);
  }
  DescribeSegments(track, rules.SplitGapSeconds);
}

std::vector<std::size_t> TrackOrder(const std::vector<Track>& tracks) {
  std::vector<std::size_t> order(tracks.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::vector<std::optional<std::pair<std::int64_t, double>>> firsts(tracks.size());
  std::transform(tracks.begin(), tracks.end(), firsts.begin(), FirstTime);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (!firsts[a] || !firsts[b]) return firsts[a].has_value() && !firsts[b].has_value();
    return *firsts[a] < *firsts[b];
  });
  return order;
}

std::vector<std::size_t> OverlappingTracks(const std::vector<Track>& tracks, const std::vector<std::size_t>& order) {
  std::vector<bool> overlaps(order.size());
  for (std::size_t a = 0; a < order.size(); ++a) {
    for (std::size_t b = a + 1; b < order.size(); ++b) {
      const TimeSpan& one = tracks[order[a]].Span;
      const TimeSpan& other = tracks[order[b]].Span;
      if (IsEmpty(one) || IsEmpty(other) || one.MaxTime <= other.MinTime || other.MaxTime <= one.MinTime) continue;
      overlaps[a] = overlaps[b] = true;
    }
  }
  std::vector<std::size_t> overlapping;
  for (std::size_t a = 0; a < order.size(); ++a) {
    if (overlaps[a]) overlapping.push_back(order[a]);
  }
  return overlapping;
}

Track JoinTracks(std::vector<Track>& tracks, const std::vector<std::size_t>& order) {
  Track joined;
  std::size_t records = 0;
  for (const Track& track : tracks) records += track.Records.size();
  joined.Records.reserve(records);
  for (const std::size_t k : order) {
    Track& track = tracks[k];
    const double distBefore = joined.Records.empty() ? 0 : joined.Records.back().Dist;
    const auto segmentsBefore = static_cast<std::uint32_t>(joined.Segments.size());
    const std::size_t firstRecord = joined.Records.size();
    for (TrackRecord record : track.Records) {
      record.Dist += distBefore;
      record.Segment += segmentsBefore;
      joined.Records.push_back(record);
    }
    for (TrackSegment segment : track.Segments) {
      segment.FirstRecord += firstRecord;
      joined.Segments.push_back(segment);
    }
    joined.Span.Widen(track.Span);
    track = {};
  }
  SetTotals(joined);
  return joined;
}

}  // namespace routelet
