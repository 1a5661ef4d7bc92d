#include "output/segment_list.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "output/record_item.h"
#include "runtime/dates.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"
#include "track/segments.h"

namespace routelet {
namespace {

std::string LocalTimeText(const TrackRecord* record) { return record ? DateText(record->LocalTime) : std::string(); }
std::string UtcTimeText(const TrackRecord* record) { return record ? IsoTimeText(*record) : std::string(); }

// The segment placeholders in the order they are filled, with their texts for segment `number`
// (1 for the first).
std::vector<std::pair<std::string_view, std::string>> SegmentPlaceholderTexts(const Track& track, const TrackSegment& segment,
                                                                              std::size_t number) {
  // Within the records, whatever the segment says.
  const std::size_t first = std::min(segment.FirstRecord, track.Records.size());
  const std::size_t count = std::min(segment.RecordCount, track.Records.size() - first);
  const TimedEnds ends = EarliestAndLatest(std::span(track.Records).subspan(first, count));
  const std::size_t last = first + count - (count > 0 ? 1 : 0);
  return {
      {"[segment]", std::to_string(number)},
      {"[segnumrecord]", std::to_string(count)},
      {"[segfirst]", std::to_string(first)},
      {"[seglast]", std::to_string(last)},
      {"[segstart]", LocalTimeText(ends.Start)},
      {"[segend]", LocalTimeText(ends.End)},
      {"[segstart:iso]", UtcTimeText(ends.Start)},
      {"[segend:iso]", UtcTimeText(ends.End)},
      {"[segdist]", NumberText(segment.Dist, 2)},
      {"[segelapsed]", DurationText(segment.ElapsedSeconds)},
      {"[segmoving]", DurationText(segment.MovingSeconds)},
  };
}

}  // namespace

TimedEnds EarliestAndLatest(std::span<const TrackRecord> records) {
  const auto earlier = [](const TrackRecord& a, const TrackRecord& b) {
    return std::tie(a.UnixTime, a.Fraction) < std::tie(b.UnixTime, b.Fraction);
  };
  TimedEnds ends;
  for (const TrackRecord& record : records) {
    if (!IsTimed(record)) continue;
    if (ends.Start == nullptr || earlier(record, *ends.Start)) ends.Start = &record;
    if (ends.End == nullptr || earlier(*ends.End, record)) ends.End = &record;
  }
  return ends;
}

std::vector<TrackSegment> SegmentsOf(const Track& track) {
  if (!track.Segments.empty() || track.Records.empty()) return track.Segments;
  Track described = track;
  DescribeSegments(described);
  return described.Segments;
}

std::string DurationText(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  const auto twoDigits = [](std::int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); };
  return std::to_string(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" + twoDigits(seconds % 60);
}

std::string RenderSegmentList(const SectionStore& sections, const Track& track) {
  const std::string itemTemplate = GetSection(sections, "segmentlist");
  std::string list;
  if (itemTemplate.empty()) return list;
  const std::vector<TrackSegment> segments = SegmentsOf(track);
  for (std::size_t k = 0; k < segments.size(); ++k) {
    std::string item = itemTemplate;
    for (const auto& [placeholder, text] : SegmentPlaceholderTexts(track, segments[k], k + 1)) {
      ReplaceAllInPlace(item, placeholder, text);
    }
    (list += item) += "\r\n";
  }
  return list;
}

}  // namespace routelet
