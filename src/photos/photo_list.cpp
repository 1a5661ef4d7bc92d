#include "photos/photo_list.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "photos/exif_reader.h"
#include "runtime/dates.h"
#include "runtime/escape.h"
#include "runtime/files.h"
#include "runtime/numbers.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"

namespace routelet {
namespace {

constexpr std::string_view kProgressPrefix = "画像データExif情報解析中：";
constexpr std::string_view kItemSection = "photolist";

// Cameras in the intended market keep Japan time (UTC+9) on their clocks; the track is in UTC.
constexpr double kCameraClockHoursAheadOfUtc = 9;

// Unix seconds of a capture time on the camera's clock. The arithmetic runs in this exact order
// in doubles so that a time of day that is not exact in binary still rounds to its second.
std::optional<std::int64_t> PhotoTime(DaySerial captured) {
  return ToInt64(((captured - kUnixEpochSerial) * 24 - kCameraClockHoursAheadOfUtc) * 60 * 60);
}

// One item of the list: the placeholders are filled in this order, each in the result of the
// one before, so a value that happens to contain a later placeholder is filled too.
std::string RenderItem(const std::string& itemTemplate, std::int64_t id, std::string_view name,
                       std::int64_t photoTime, DaySerial captured) {
  const std::array<std::pair<std::string_view, std::string>, 6> fills = {{
      {"[id]", std::to_string(id)},
      {"[file]", std::string(name)},
      {"[time]", RightAligned10(photoTime)},
      {"[timestr]", DateText(captured)},
      // The name made safe for markup, and for a link to the file beside the page.
      {"[file:html]", HtmlEscape(name)},
      {"[file:url]", UrlPathSegmentEscape(name)},
  }};
  std::string item = itemTemplate;
  for (const auto& [placeholder, value] : fills) item = ReplaceAll(item, placeholder, value);
  return item;
}

}  // namespace

std::string BuildPhotoList(std::string_view logPath, const SectionStore& sections,
                           const TrackSummary& span, std::int64_t& photos, FrontEnd& ui) {
  const std::string itemTemplate = GetSection(sections, kItemSection);
  const std::string folder = DirectoryOf(logPath);
  std::string list;
  for (const std::string& name : ListFilesWithExtensions(folder, {".jpg", ".jpeg"})) {
    ui.SetProgress(std::string(kProgressPrefix) + name);
    // Opened beside the log, wherever the program was started from.
    const DaySerial captured = ReadExifDate(JoinPath(folder, name));
    const std::optional<std::int64_t> day = ToInt64(captured);
    if (!day || *day < 1) continue;  // no usable capture time
    const std::optional<std::int64_t> photoTime = PhotoTime(captured);
    if (!photoTime || *photoTime < span.MinTime || *photoTime > span.MaxTime) continue;
    ++photos;
    list += RenderItem(itemTemplate, photos, name, *photoTime, captured);
    list += "\r\n";
  }
  return list;
}

}  // namespace routelet
