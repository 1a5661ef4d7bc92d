#include "output/photo_item.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "output/placeholders.h"
#include "output/value_groups.h"
#include "runtime/dates.h"
#include "runtime/escape.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"
#include "track/utc_offset.h"

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

// `thumbnail` is the small copy a page that carries its photos shows, or empty.
std::string PhotoValue(Fill what, std::int64_t id, const Photo& photo, std::string_view thumbnail) {
  const std::optional<GeoPosition>& position = PositionOf(photo);
  switch (what) {
    case Fill::kPhotoId: return std::to_string(id);
    case Fill::kPhotoFile: return photo.Name;
    case Fill::kPhotoTime: return RightAligned10(photo.UnixTime);
    case Fill::kPhotoTimeStr: return DateText(photo.CameraTime);
    // The path made safe for markup, and for a link to the file from the page.
    case Fill::kPhotoFileHtml: return HtmlEscape(photo.Name);
    case Fill::kPhotoFileUrl: return UrlPathEscape(photo.Name);
    case Fill::kPhotoTimeIso: return IsoUtcText(photo.UnixTime);
    // The instant in the page's zone, as the points' "[timestr]" is.
    case Fill::kPhotoPageTime:
      return DateText(kUnixEpochSerial + static_cast<double>(photo.UnixTime + GetUtcOffsetMinutes(photo.UnixTime) * 60LL) / 86400.0);
    // Empty without a position (or a height), so that a template can tell.
    case Fill::kPhotoLatFull: return position ? ShortestText(position->Lat) : std::string();
    case Fill::kPhotoLngFull: return position ? ShortestText(position->Lng) : std::string();
    case Fill::kPhotoAltKnown: return position && position->Alt ? NumberText(*position->Alt, 2) : std::string();
    case Fill::kPhotoWhere: return std::string(SourceText(SourceOf(photo)));
    // What an <img> shows: the photo itself, or the preview made of one a browser cannot show.
    case Fill::kPhotoPreviewUrl: return photo.Preview.empty() ? UrlPathEscape(photo.Name) : photo.Preview;
    // A page that carries its photos shows this small copy in its grid and on its map; without
    // one, what an <img> can show.
    case Fill::kPhotoFileThumb:
      if (!thumbnail.empty()) return std::string(thumbnail);
      return photo.Preview.empty() ? UrlPathEscape(photo.Name) : photo.Preview;
    default: return {};  // a placeholder of another scope
  }
}

}  // namespace

std::string BuildPhotoItem(std::string_view itemTemplate, std::int64_t id, const Photo& photo,
                           std::string_view thumbnail) {
  // Each value is made when it is first wanted, and only then: a template that shows neither the
  // thumbnail nor the page's time makes no copy of the one and looks up no zone for the other.
  struct Value {
    std::string_view Placeholder;
    Fill What;
    std::optional<std::string> Text;
  };
  std::vector<Value> fills;
  for (const Placeholder& placeholder : kPlaceholders) {
    if (placeholder.Scope == PlaceholderScope::kPhotoItem) fills.push_back({placeholder.Text, placeholder.What, {}});
  }
  const auto textOf = [&](Value& value) -> const std::string& {
    if (!value.Text) value.Text = PhotoValue(value.What, id, photo, thumbnail);
    return *value.Text;
  };
  const auto comesOutEmpty = [&](Fill what) {
    return std::ranges::any_of(fills, [&](Value& value) { return value.What == what && textOf(value).empty(); });
  };
  // Filled one after another, so a value that happens to contain a later placeholder is filled
  // too, as a template writer who fills them by hand in this order would expect.
  std::string item = KeepGroupsWithValues(itemTemplate, PlaceholderScope::kPhotoItem, comesOutEmpty);
  for (Value& value : fills) {
    if (item.find(value.Placeholder) != std::string::npos) ReplaceAllInPlace(item, value.Placeholder, textOf(value));
  }
  return item;
}

}  // namespace routelet
