#pragma once
// The track's segments on the page: one "segmentlist" item per segment, with the segment's own
// times and totals.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "template/section_store.h"
#include "track/track.h"

namespace routelet {

// The earliest and the latest timed record of `records`, by time and fraction of a second (the
// first of equal ones): the instants they span, also when a log's time goes backwards. Both null
// when no record is timed.
struct TimedEnds {
  const TrackRecord* Start = nullptr;
  const TrackRecord* End = nullptr;
};
TimedEnds EarliestAndLatest(std::span<const TrackRecord> records);

// The track's segments: Track::Segments, or for a track made without them (by hand) the
// segments its records' Segment indices give, described as a log's track is.
std::vector<TrackSegment> SegmentsOf(const Track& track);

// Seconds as hours, minutes and seconds: "0:05:09", "27:00:00".
std::string DurationText(std::int64_t seconds);

// One "segmentlist" item per segment, each followed by CR LF, its groups kept or left out as in
// the other items (value_groups.h) and its placeholders filled one after another in the order of
// kPlaceholders (placeholders.h).
std::string RenderSegmentList(const SectionStore& sections, const Track& track);

}  // namespace routelet
