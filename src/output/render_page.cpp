#include "output/render_page.h"

#include <tuple>
#include <utility>

#include "output/photo_item.h"
#include "output/record_item.h"
#include "runtime/escape.h"
#include "runtime/large_buffer.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"

namespace routelet {
namespace {

constexpr std::size_t kProgressEvery = 100;
constexpr std::string_view kRecordListPlaceholder = "[recordlist]";

void TellRecordProgress(std::size_t index, std::size_t records, Progress& progress) {
  if (index % kProgressEvery == 0) progress.RenderingRecord(index, records);
}

// The count ends where it should: every record done.
void TellRecordsDone(std::size_t records, Progress& progress) {
  if (records > 0) progress.RenderingRecord(records, records);
}

// A guess of the record list's size from its first item, so that the page is reserved once
// instead of growing (and being copied) step by step.
std::size_t EstimateRecordListSize(const RecordItemTemplate& item, const std::vector<TrackRecord>& records) {
  if (records.empty() || item.empty()) return 0;
  const std::size_t first = BuildRecordItem(item, 0, records.front()).size() + 2;
  return first * records.size() + first * records.size() / 4;
}

std::string RenderPhotoList(const SectionStore& sections, const std::vector<Photo>& photos) {
  const std::string itemTemplate = GetSection(sections, "photolist");
  std::string list;
  std::int64_t id = 0;
  for (const Photo& photo : photos) {
    list += BuildPhotoItem(itemTemplate, ++id, photo);
    list += "\r\n";
  }
  return list;
}

// The UTC times of the earliest and the latest timed record, with their fractions as the log
// wrote them: the instants the track spans, also when a log's time goes backwards. Empty texts
// when no record is timed.
std::pair<std::string, std::string> StartAndEndTimes(const std::vector<TrackRecord>& records) {
  const auto earlier = [](const TrackRecord& a, const TrackRecord& b) {
    return std::tie(a.UnixTime, a.Fraction) < std::tie(b.UnixTime, b.Fraction);
  };
  const TrackRecord* start = nullptr;
  const TrackRecord* end = nullptr;
  for (const TrackRecord& record : records) {
    if (!IsTimed(record)) continue;
    if (start == nullptr || earlier(record, *start)) start = &record;
    if (end == nullptr || earlier(*end, record)) end = &record;
  }
  if (start == nullptr) return {};
  return {IsoTimeText(*start), IsoTimeText(*end)};
}

}  // namespace

// The record items are rendered straight into the page at the first "[recordlist]" and copied to
// any later one. An empty item adds nothing, not even its line end.
std::string RenderRecords(const SectionStore& sections, const Track& track, Progress& progress) {
  const std::string body = GetSection(sections, "body");
  const std::vector<TrackRecord>& records = track.Records;
  const RecordItemTemplate item(GetSection(sections, "recordlist"));
  const std::size_t first = body.find(kRecordListPlaceholder);
  if (first == std::string::npos) {
    for (std::size_t i = 0; i < records.size(); ++i) TellRecordProgress(i, records.size(), progress);
    TellRecordsDone(records.size(), progress);
    return body;
  }
  std::string page;
  ReserveLargeBuffer(page, body.size() + EstimateRecordListSize(item, records));
  page.append(body, 0, first);
  const std::size_t listStart = page.size();
  for (std::size_t i = 0; i < records.size(); ++i) {
    TellRecordProgress(i, records.size(), progress);
    if (item.empty()) continue;
    item.AppendItem(page, static_cast<std::int64_t>(i), records[i]);
    page += "\r\n";
  }
  TellRecordsDone(records.size(), progress);
  const std::size_t listSize = page.size() - listStart;
  std::size_t from = first + kRecordListPlaceholder.size();
  for (std::size_t at = body.find(kRecordListPlaceholder, from); at != std::string::npos;
       at = body.find(kRecordListPlaceholder, from)) {
    page.append(body, from, at - from);
    page.append(page, listStart, listSize);
    from = at + kRecordListPlaceholder.size();
  }
  page.append(body, from);
  return page;
}

void FillPlaceholders(std::string& page, const SectionStore& sections, const Track& track,
                      const std::vector<Photo>& photos, std::size_t keptLines, std::string_view logPath) {
  ReplaceAllInPlace(page, "[photolist]", RenderPhotoList(sections, photos));
  ReplaceAllInPlace(page, "[filename]", logPath);
  ReplaceAllInPlace(page, "[numrecord]", std::to_string(keptLines));
  ReplaceAllInPlace(page, "[numphoto]", std::to_string(photos.size()));
  ReplaceAllInPlace(page, "[totaldist]", NumberText(track.TotalDist, 2));
  ReplaceAllInPlace(page, "[avgspeed]", NumberText(track.AvgSpeed, 2));
  ReplaceAllInPlace(page, "[filename:html]", HtmlEscape(logPath));
  const auto [start, end] = StartAndEndTimes(track.Records);
  ReplaceAllInPlace(page, "[starttime:iso]", start);
  ReplaceAllInPlace(page, "[endtime:iso]", end);
}

}  // namespace routelet
