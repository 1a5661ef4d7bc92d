#pragma once
// What a page that carries its photos and its map holds besides its text, ready to be written.
#include <string>
#include <vector>

namespace routelet {

struct EmbeddedContent {
  // For each listed photo, its thumbnail as a data: URI for "[file:thumb]"; an empty one (or
  // none at all) leaves the photo's link there.
  std::vector<std::string> Thumbnails;
  // "[previewlist]": one line per listed photo, its preview as a data: URI (an empty line when
  // it has none), for the page's script to show when a photo is opened.
  std::string PreviewList;
  // "[embeddedtiles]": the map tiles' table (JSON), empty when the page carries none.
  std::string TileTable;
};

}  // namespace routelet
