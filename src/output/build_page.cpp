#include "output/build_page.h"

#include <vector>

#include "output/record_item.h"
#include "photos/photo_list.h"
#include "runtime/escape.h"
#include "runtime/large_buffer.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"
#include "track/parse_track.h"

namespace routelet {
namespace {

constexpr std::size_t kProgressEvery = 100;
constexpr std::string_view kRecordListPlaceholder = "[recordlist]";

void ShowRecordProgress(std::size_t index, std::size_t keptLines, FrontEnd& ui) {
  if (index % kProgressEvery == 0) {
    ui.SetProgress("ルートデータ出力中：" + std::to_string(index) + "/" + std::to_string(keptLines));
  }
}

// A guess of the record list's size from its first item, so that the page is reserved once
// instead of growing (and being copied) step by step.
std::size_t EstimateRecordListSize(const RecordItemTemplate& item, const std::vector<TrackRecord>& records) {
  if (records.empty() || item.empty()) return 0;
  const std::size_t first = BuildRecordItem(item, 0, records.front()).size() + 2;
  return first * records.size() + first * records.size() / 4;
}

// The body with "[recordlist]" filled: the record items are rendered straight into the page at
// the first occurrence and copied to any later one. Each item is followed by CR LF; an empty
// item adds nothing. Progress is shown every hundred records even when the body has no list.
std::string FillRecordList(std::string_view body, const std::vector<TrackRecord>& records,
                           std::size_t keptLines, const SectionStore& sections, FrontEnd& ui) {
  const RecordItemTemplate item(GetSection(sections, "recordlist"));
  const std::size_t first = body.find(kRecordListPlaceholder);
  if (first == std::string_view::npos) {
    for (std::size_t i = 0; i < records.size(); ++i) ShowRecordProgress(i, keptLines, ui);
    return std::string(body);
  }
  std::string page;
  ReserveLargeBuffer(page, body.size() + EstimateRecordListSize(item, records));
  page.append(body.substr(0, first));
  const std::size_t listStart = page.size();
  for (std::size_t i = 0; i < records.size(); ++i) {
    ShowRecordProgress(i, keptLines, ui);
    if (item.empty()) continue;
    item.AppendItem(page, static_cast<std::int64_t>(i), records[i]);
    page += "\r\n";
  }
  const std::size_t listSize = page.size() - listStart;
  std::size_t from = first + kRecordListPlaceholder.size();
  for (std::size_t at = body.find(kRecordListPlaceholder, from); at != std::string_view::npos;
       at = body.find(kRecordListPlaceholder, from)) {
    page.append(body.substr(from, at - from));
    page.append(page, listStart, listSize);
    from = at + kRecordListPlaceholder.size();
  }
  page.append(body.substr(from));
  return page;
}

// Fills the remaining placeholders one after another over the whole page, in place, so that a
// large page is never copied whole for a placeholder.
class PageFiller {
 public:
  explicit PageFiller(std::string page) : page_(std::move(page)) {}

  void Fill(std::string_view placeholder, std::string_view value) { ReplaceAllInPlace(page_, placeholder, value); }

  std::string Take() { return std::move(page_); }

 private:
  std::string page_;
};

}  // namespace

std::string BuildPage(RunState& state, FrontEnd& ui) {
  std::string page;
  {
    // The records live only while their items are rendered.
    std::vector<TrackRecord> records;
    ParseTrack(state.LogLines, records, state.Track);
    page = FillRecordList(GetSection(state.Sections, "body"), records, state.LogLines.size(), state.Sections, ui);
  }
  const std::string photoList = BuildPhotoList(state.LogPath, state.Sections, state.Track, state.Photos, ui);

  PageFiller filler(std::move(page));
  filler.Fill("[photolist]", photoList);
  filler.Fill("[filename]", state.LogPath);
  filler.Fill("[numrecord]", std::to_string(state.LogLines.size()));
  filler.Fill("[numphoto]", std::to_string(state.Photos));
  filler.Fill("[totaldist]", NumberText(state.Track.TotalDist, 2));
  filler.Fill("[avgspeed]", NumberText(state.Track.AvgSpeed, 2));
  filler.Fill("[filename:html]", HtmlEscape(state.LogPath));
  return filler.Take();
}

}  // namespace routelet
