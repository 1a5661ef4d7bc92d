#include "output/photo_item.h"

#include <utility>
#include <vector>

#include "output/placeholders.h"
#include "output/value_groups.h"
#include "runtime/dates.h"
#include "runtime/escape.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"

namespace routelet {
namespace {

std::string PhotoValue(Fill what, std::int64_t id, const Photo& photo) {
  switch (what) {
    case Fill::kPhotoId: return std::to_string(id);
    case Fill::kPhotoFile: return photo.Name;
    case Fill::kPhotoTime: return RightAligned10(photo.UnixTime);
    case Fill::kPhotoTimeStr: return DateText(photo.CameraTime);
    // The path made safe for markup, and for a link to the file from the page.
    case Fill::kPhotoFileHtml: return HtmlEscape(photo.Name);
    case Fill::kPhotoFileUrl: return UrlPathEscape(photo.Name);
    case Fill::kPhotoTimeIso: return IsoUtcText(photo.UnixTime);
    default: return {};  // a placeholder of another scope
  }
}

}  // namespace

std::string BuildPhotoItem(std::string_view itemTemplate, std::int64_t id, const Photo& photo) {
  std::vector<std::pair<std::string_view, std::string>> fills;
  for (const Placeholder& placeholder : kPlaceholders) {
    if (placeholder.Scope == PlaceholderScope::kPhotoItem) fills.emplace_back(placeholder.Text, PhotoValue(placeholder.What, id, photo));
  }
  const auto comesOutEmpty = [&](Fill what) { return PhotoValue(what, id, photo).empty(); };
  // Filled one after another, so a value that happens to contain a later placeholder is filled
  // too, as a template writer who fills them by hand in this order would expect.
  std::string item = KeepGroupsWithValues(itemTemplate, PlaceholderScope::kPhotoItem, comesOutEmpty);
  for (const auto& [placeholder, value] : fills) ReplaceAllInPlace(item, placeholder, value);
  return item;
}

}  // namespace routelet
