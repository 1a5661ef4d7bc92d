#pragma once
// One item of the page's photo list, rendered from the template's "photolist" section.
#include <cstdint>
#include <string>
#include <string_view>

#include "photos/find_photos.h"

namespace routelet {

// The section with its groups kept or left out (value_groups.h) and "[id]", "[file]", "[time]",
// "[timestr]", "[file:html]", "[file:url]" and "[time:iso]" (UTC, "2011-11-05T03:34:56Z"), then
// the photo's position "[lat:full]", "[lng:full]", "[alt:known]" (metres, 2 decimals) and where it
// comes from, "[where]" ("gps", "track"), each empty when unknown, "[preview:url]", and
// "[file:thumb]" (`thumbnail`, a data: URI, or when that is empty the same as "[preview:url]")
// filled in, in that order, each in the result of the one before.
std::string BuildPhotoItem(std::string_view itemTemplate, std::int64_t id, const Photo& photo,
                           std::string_view thumbnail = {});

}  // namespace routelet
