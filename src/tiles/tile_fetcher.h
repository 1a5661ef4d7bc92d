#pragma once
// The tile fetcher needs libcurl (and, through it, the TLS and HTTP/2 libraries): it is a module
// of its own, routelet-tile-fetch.so, loaded only by a run that embeds tiles, so that the others
// never map those libraries.
#include <string>
#include <vector>

#include "tiles/tile_fetch.h"

namespace routelet {

// What the module offers. Module and program are built together, so the table may carry C++ types.
struct TileFetcher {
  bool (*Ready)();  // whether the transfer library could be set up
  std::vector<FetchedTile> (*FetchTiles)(const std::vector<std::string>& urls, const std::string& userAgent,
                                         const FetchLimits& limits);
};

// Why the module could not be loaded (the loader's own text); empty when it was, or when this
// build has no such module.
std::string TileFetcherLoadError();

// Looks for the module in `folder` rather than beside the program (for the test programs).
// Only before the first fetch.
void SetTileFetcherFolder(std::string folder);

}  // namespace routelet

extern "C" {
// The one function the module exports.
const routelet::TileFetcher* routelet_tile_fetcher();
}
