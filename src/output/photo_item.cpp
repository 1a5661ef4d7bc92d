#include "output/photo_item.h"

#include <array>
#include <utility>

#include "runtime/dates.h"
#include "runtime/escape.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"

namespace routelet {

std::string BuildPhotoItem(std::string_view itemTemplate, std::int64_t id, const Photo& photo,
                           std::string_view thumbnail) {
  // Filled one after another, so a value that happens to contain a later placeholder is filled
  // too, as a template writer who fills them by hand in this order would expect.
  const std::array<std::pair<std::string_view, std::string>, 8> fills = {{
      {"[id]", std::to_string(id)},
      {"[file]", photo.Name},
      {"[time]", RightAligned10(photo.UnixTime)},
      {"[timestr]", DateText(photo.CameraTime)},
      // The path made safe for markup, and for a link to the file from the page.
      {"[file:html]", HtmlEscape(photo.Name)},
      {"[file:url]", UrlPathEscape(photo.Name)},
      {"[time:iso]", IsoUtcText(photo.UnixTime)},
      // A page that carries its photos shows this small copy in its grid and on its map.
      {"[file:thumb]", thumbnail.empty() ? UrlPathEscape(photo.Name) : std::string(thumbnail)},
  }};
  std::string item(itemTemplate);
  for (const auto& [placeholder, value] : fills) ReplaceAllInPlace(item, placeholder, value);
  return item;
}

}  // namespace routelet
