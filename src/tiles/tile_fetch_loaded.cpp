// The tile fetcher of routelet-tile-fetch.so, loaded when tiles are first fetched.
#include "runtime/program_module.h"
#include "tiles/tile_fetcher.h"

namespace routelet {
namespace {

ProgramModule& Module() {
  static ProgramModule module("routelet-tile-fetch.so", "routelet_tile_fetcher");
  return module;
}

const TileFetcher* LoadedTileFetcher() {
  static const TileFetcher* const fetcher = [] {
    auto* entry = reinterpret_cast<decltype(&routelet_tile_fetcher)>(Module().Entry());
    return entry == nullptr ? nullptr : entry();
  }();
  return fetcher;
}

}  // namespace

bool TileFetchingAvailable() {
  const TileFetcher* fetcher = LoadedTileFetcher();
  return fetcher != nullptr && fetcher->Ready();
}

std::vector<FetchedTile> FetchTiles(const std::vector<std::string>& urls, const std::string& userAgent,
                                    const FetchLimits& limits) {
  if (!TileFetchingAvailable()) return std::vector<FetchedTile>(urls.size());
  return LoadedTileFetcher()->FetchTiles(urls, userAgent, limits);
}

std::string TileFetcherLoadError() { return Module().Error(); }

void SetTileFetcherFolder(std::string folder) { Module().SetFolder(std::move(folder)); }

}  // namespace routelet
