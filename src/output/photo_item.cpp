#include "output/photo_item.h"

#include <array>
#include <utility>

#include "runtime/dates.h"
#include "runtime/escape.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"

namespace routelet {

namespace {

std::string_view SourceText(PositionSource source) {
  switch (source) {
    case PositionSource::kGps: return "gps";
    case PositionSource::kTrack: return "track";
    case PositionSource::kNone: break;
  }
  return "";
}

}  // namespace

std::string BuildPhotoItem(std::string_view itemTemplate, std::int64_t id, const Photo& photo) {
  const std::optional<GeoPosition>& position = PositionOf(photo);
  const bool heightKnown = position && position->Alt;
  // Filled one after another, so a value that happens to contain a later placeholder is filled
  // too, as a template writer who fills them by hand in this order would expect.
  const std::array<std::pair<std::string_view, std::string>, 12> fills = {{
      {"[id]", std::to_string(id)},
      {"[file]", photo.Name},
      {"[time]", RightAligned10(photo.UnixTime)},
      {"[timestr]", DateText(photo.CameraTime)},
      // The path made safe for markup, and for a link to the file from the page.
      {"[file:html]", HtmlEscape(photo.Name)},
      {"[file:url]", UrlPathEscape(photo.Name)},
      {"[time:iso]", IsoUtcText(photo.UnixTime)},
      // Empty without a position (or a height), so that a template can tell.
      {"[lat:full]", position ? ShortestText(position->Lat) : std::string()},
      {"[lng:full]", position ? ShortestText(position->Lng) : std::string()},
      {"[alt:known]", heightKnown ? NumberText(*position->Alt, 2) : std::string()},
      {"[where]", std::string(SourceText(SourceOf(photo)))},
      // What an <img> shows: the photo itself, or the preview made of one a browser cannot show.
      {"[preview:url]", photo.Preview.empty() ? UrlPathEscape(photo.Name) : photo.Preview},
  }};
  std::string item(itemTemplate);
  for (const auto& [placeholder, value] : fills) ReplaceAllInPlace(item, placeholder, value);
  return item;
}

}  // namespace routelet
