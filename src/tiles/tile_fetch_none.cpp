#include "tiles/tile_fetcher.h"

namespace routelet {

// A build without libcurl fetches nothing: its pages carry no tiles.
bool TileFetchingAvailable() { return false; }

std::vector<FetchedTile> FetchTiles(const std::vector<std::string>& urls, const std::string&, const FetchLimits&) {
  return std::vector<FetchedTile>(urls.size());
}

}  // namespace routelet

namespace routelet {

std::string TileFetcherLoadError() { return {}; }
void SetTileFetcherFolder(std::string) {}

}  // namespace routelet
