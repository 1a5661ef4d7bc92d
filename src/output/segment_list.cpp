#include "output/segment_list.h"

#include <algorithm>
#include <tuple>

#include "output/placeholders.h"
#include "output/record_item.h"
#include "output/value_groups.h"
#include "runtime/dates.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"
#include "track/segments.h"

namespace routelet {
namespace {

std::string LocalTimeText(const TrackRecord* record) { return record ? DateText(record->LocalTime) : std::string(); }
std::string UtcTimeText(const TrackRecord* record) { return record ? IsoTimeText(*record) : std::string(); }

// What a segment's placeholders tell of it, its bounds kept within the records whatever the
// segment says.
struct SegmentFacts {
  const TrackSegment& Segment;
  std::size_t Number;  // 1 for the first
  std::size_t First;
  std::size_t Count;
  TimedEnds Ends;
};

SegmentFacts FactsOf(const Track& track, const TrackSegment& segment, std::size_t number) {
  const std::size_t first = std::min(segment.FirstRecord, track.Records.size());
  const std::size_t count = std::min(segment.RecordCount, track.Records.size() - first);
  return {segment, number, first, count, EarliestAndLatest(std::span(track.Records).subspan(first, count))};
}

std::string SegmentValue(Fill what, const SegmentFacts& facts) {
  switch (what) {
    case Fill::kSegNumber: return std::to_string(facts.Number);
    case Fill::kSegNumRecord: return std::to_string(facts.Count);
    case Fill::kSegFirst: return std::to_string(facts.First);
    case Fill::kSegLast: return std::to_string(facts.First + facts.Count - (facts.Count > 0 ? 1 : 0));
    case Fill::kSegStart: return LocalTimeText(facts.Ends.Start);
    case Fill::kSegEnd: return LocalTimeText(facts.Ends.End);
    case Fill::kSegStartIso: return UtcTimeText(facts.Ends.Start);
    case Fill::kSegEndIso: return UtcTimeText(facts.Ends.End);
    case Fill::kSegDist: return NumberText(facts.Segment.Dist, 2);
    case Fill::kSegElapsed: return DurationText(facts.Segment.ElapsedSeconds);
    case Fill::kSegMoving: return DurationText(facts.Segment.MovingSeconds);
    default: return {};  // a placeholder of another scope
  }
}

// One "segmentlist" item: its groups kept or left out (value_groups.h), then its placeholders
// filled one after another in the order of kPlaceholders.
std::string BuildSegmentItem(std::string_view itemTemplate, const SegmentFacts& facts) {
  const auto comesOutEmpty = [&](Fill what) { return SegmentValue(what, facts).empty(); };
  std::string item = KeepGroupsWithValues(itemTemplate, PlaceholderScope::kSegmentItem, comesOutEmpty);
  for (const Placeholder& placeholder : kPlaceholders) {
    if (placeholder.Scope == PlaceholderScope::kSegmentItem) {
      ReplaceAllInPlace(item, placeholder.Text, SegmentValue(placeholder.What, facts));
    }
  }
  return item;
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
    (list += BuildSegmentItem(itemTemplate, FactsOf(track, segments[k], k + 1))) += "\r\n";
  }
  return list;
}

}  // namespace routelet
