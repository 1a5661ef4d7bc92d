#include "output/build_page.h"

#include <vector>

#include "output/record_item.h"
#include "photos/photo_list.h"
#include "runtime/dates.h"
#include "runtime/escape.h"
#include "runtime/text_helpers.h"
#include "track/parse_track.h"

namespace routelet {
namespace {

constexpr std::size_t kProgressEvery = 100;

std::string RenderRecordList(const std::vector<TrackRecord>& records, std::size_t keptLines,
                             const SectionStore& sections, FrontEnd& ui) {
  const RecordItemTemplate itemTemplate(GetSection(sections, "recordlist"));
  std::string list;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i % kProgressEvery == 0) {
      ui.SetProgress("ルートデータ出力中：" + std::to_string(i) + "/" + std::to_string(keptLines));
    }
    if (itemTemplate.empty()) continue;
    itemTemplate.AppendItem(list, static_cast<std::int64_t>(i), records[i]);
    list += "\r\n";
  }
  return list;
}

// Replaces in place; leaves the text alone (no copy) when the placeholder does not occur.
void Fill(std::string& page, std::string_view placeholder, std::string_view value) {
  if (page.find(placeholder) == std::string::npos) return;
  std::string filled;
  filled.reserve(page.size() + value.size());
  AppendReplaced(filled, page, placeholder, value);
  page = std::move(filled);
}

}  // namespace

std::string BuildPage(RunState& state, FrontEnd& ui) {
  std::string recordList;
  {
    // The records live only while their items are rendered.
    std::vector<TrackRecord> records;
    ParseTrack(state.LogLines, records, state.Track);
    recordList = RenderRecordList(records, state.LogLines.size(), state.Sections, ui);
  }
  const std::string photoList = BuildPhotoList(state.LogPath, state.Sections, state.Track, state.Photos, ui);

  std::string page = GetSection(state.Sections, "body");
  Fill(page, "[recordlist]", recordList);
  recordList = std::string();
  Fill(page, "[photolist]", photoList);
  Fill(page, "[filename]", state.LogPath);
  Fill(page, "[numrecord]", std::to_string(state.LogLines.size()));
  Fill(page, "[numphoto]", std::to_string(state.Photos));
  Fill(page, "[totaldist]", NumberText(state.Track.TotalDist, 2));
  Fill(page, "[avgspeed]", NumberText(state.Track.AvgSpeed, 2));
  Fill(page, "[filename:html]", HtmlEscape(state.LogPath));
  return page;
}

}  // namespace routelet
