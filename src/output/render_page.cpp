#include "output/render_page.h"

#include <tuple>
#include <utility>

#include "output/photo_item.h"
#include "output/record_item.h"
#include "runtime/escape.h"
#include "runtime/parallel.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"

namespace routelet {
namespace {

constexpr std::size_t kProgressEvery = 100;
constexpr std::string_view kRecordListPlaceholder = "[recordlist]";

// A long record list is rendered in chunks of at least this many records, one thread each.
constexpr std::size_t kSmallestChunkRecords = 8192;

// What rendering `records` items tells, in order: every hundredth record, then the count itself.
void TellRecordProgress(std::size_t records, Progress& progress) {
  for (std::size_t i = 0; i < records; i += kProgressEvery) progress.RenderingRecord(i, records);
  if (records > 0) progress.RenderingRecord(records, records);
}

// The items of records [from, to), each followed by CR LF, in one piece reserved once from a
// guess by its first item, so that it does not grow (and get copied) step by step.
std::string RenderItems(const RecordItemTemplate& item, const std::vector<TrackRecord>& records, std::size_t from,
                        std::size_t to) {
  std::string piece;
  if (from == to) return piece;
  const std::size_t guess = (BuildRecordItem(item, static_cast<std::int64_t>(from), records[from]).size() + 2) * (to - from);
  piece.reserve(guess + guess / 4);
  for (std::size_t i = from; i < to; ++i) {
    item.AppendItem(piece, static_cast<std::int64_t>(i), records[i]);
    piece += "\r\n";
  }
  return piece;
}

// The texts before, between and after the occurrences of `separator` in `text`.
std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  std::size_t from = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, from)) {
    parts.push_back(text.substr(from, at - from));
    from = at + separator.size();
  }
  parts.push_back(text.substr(from));
  return parts;
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

// The body placeholders in the order they are filled, with their texts.
std::vector<std::pair<std::string_view, std::string>> BodyPlaceholderTexts(
    const SectionStore& sections, const Track& track, const std::vector<Photo>& photos, std::size_t keptLines,
    std::string_view logPath) {
  auto [start, end] = StartAndEndTimes(track.Records);
  return {
      {"[photolist]", RenderPhotoList(sections, photos)},
      {"[filename]", std::string(logPath)},
      {"[numrecord]", std::to_string(keptLines)},
      {"[numphoto]", std::to_string(photos.size())},
      {"[totaldist]", NumberText(track.TotalDist, 2)},
      {"[avgspeed]", NumberText(track.AvgSpeed, 2)},
      {"[filename:html]", HtmlEscape(logPath)},
      {"[starttime:iso]", std::move(start)},
      {"[endtime:iso]", std::move(end)},
  };
}

// Fills the placeholders into `text` one after another, each over the whole text. A text without
// a "[" holds none, and none can come into it: only a placeholder is ever replaced.
void FillText(std::string& text, const std::vector<std::pair<std::string_view, std::string>>& placeholders) {
  if (text.find('[') == std::string::npos) return;
  for (const auto& [placeholder, replacement] : placeholders) ReplaceAllInPlace(text, placeholder, replacement);
}

}  // namespace

// Each "[recordlist]" begins a piece that holds the first record's item too, so that a body
// placeholder the list's start cuts in two ("[photo" before it, and "list]" beginning the item)
// is whole within one piece. Every other piece ends with an item's CR LF, the page's last piece
// excepted, and no placeholder holds a line end: so no placeholder, and no UTF-8 sequence, spans
// two pieces, and each piece can be filled and checked by itself.
PageText RenderRecordPieces(const SectionStore& sections, const Track& track, Progress& progress,
                            const Parallelism& parallelism) {
  const std::string body = GetSection(sections, "body");
  const std::vector<TrackRecord>& records = track.Records;
  const RecordItemTemplate item(GetSection(sections, "recordlist"));
  const std::vector<std::string_view> parts = SplitAt(body, kRecordListPlaceholder);
  PageText page;
  if (parts.size() == 1 || records.empty() || item.empty()) {
    // No list, or an empty one (an empty item adds nothing, not even its line end).
    std::string text;
    for (const std::string_view part : parts) text += part;
    page.Pieces.push_back(std::move(text));
    page.Order.push_back(0);
    TellRecordProgress(records.size(), progress);
    return page;
  }
  const std::size_t rest = records.size() - 1;  // the items after the first
  page.Pieces.resize(rest == 0 ? 0 : parallelism.ChunksFor(rest, kSmallestChunkRecords));
  const std::size_t chunks = page.Pieces.size();
  ForEachChunk(chunks, parallelism.Threads, [&](std::size_t k) {
    page.Pieces[k] = RenderItems(item, records, 1 + ChunkStart(rest, chunks, k), 1 + ChunkStart(rest, chunks, k + 1));
  });
  TellRecordProgress(records.size(), progress);
  const std::string firstItem = BuildRecordItem(item, 0, records.front()) + "\r\n";
  for (std::size_t p = 0; p + 1 < parts.size(); ++p) {
    page.Order.push_back(page.Pieces.size());
    page.Pieces.push_back(std::string(parts[p]) + firstItem);
    for (std::size_t k = 0; k < chunks; ++k) page.Order.push_back(k);
  }
  page.Order.push_back(page.Pieces.size());
  page.Pieces.emplace_back(parts.back());
  return page;
}

std::string RenderRecords(const SectionStore& sections, const Track& track, Progress& progress) {
  return RenderRecordPieces(sections, track, progress, Parallelism{}).Joined();
}

void FillPlaceholders(std::string& page, const SectionStore& sections, const Track& track,
                      const std::vector<Photo>& photos, std::size_t keptLines, std::string_view logPath) {
  FillText(page, BodyPlaceholderTexts(sections, track, photos, keptLines, logPath));
}

void FillPlaceholders(PageText& page, const SectionStore& sections, const Track& track,
                      const std::vector<Photo>& photos, std::size_t keptLines, std::string_view logPath,
                      const Parallelism& parallelism) {
  const auto placeholders = BodyPlaceholderTexts(sections, track, photos, keptLines, logPath);
  ForEachChunk(page.Pieces.size(), parallelism.Threads,
               [&](std::size_t k) { FillText(page.Pieces[k], placeholders); });
}

}  // namespace routelet
