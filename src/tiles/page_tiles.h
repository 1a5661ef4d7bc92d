#pragma once
// The background-map tiles a page carries inside itself, gathered when the page is made: from
// the disk cache while their servers allow, else fetched, within a cap per run.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tiles/tile_fetch.h"
#include "tiles/tile_plan.h"

namespace routelet {

// A tile server as the page knows it.
struct TileSource {
  std::string UrlTemplate;  // with {z}, {x} and {y}
  ZoomRange Zooms;
  bool NeedsReferer = false;  // its tiles may not be asked for by a page opened from a file
  std::string Attribution;    // markup shown below the map
};

// The source the shipped page uses for a track whose middle is that of `box`: the GSI standard
// map inside Japan, OpenStreetMap elsewhere; or `ownTemplate` when one is given (a server of the
// user's own, whose attribution names its host).
TileSource TileSourceFor(const GeoBox& box, const std::string& ownTemplate);

struct TileGathering {
  std::string OwnSource;    // --tile-source; empty: the usual sources
  std::string CacheFolder;  // empty: no disk cache
  std::string UserAgent;
  FetchLimits Limits;
  std::size_t MostTiles = 400;             // per run, cached tiles included
  std::size_t MostBytes = 20 * 1024 * 1024;
  int CloserLevels = 1;
};

struct PageTiles {
  // The page's table (JSON: the source, its attribution, and each tile as a data: URI by
  // "z/x/y"); empty when no tile was had.
  std::string Table;
  std::size_t Wanted = 0;     // tiles the page needs, within the cap
  std::size_t Embedded = 0;
  std::size_t Fetched = 0;    // of those, asked of the server in this run
  std::string Problem;        // why tiles are missing (the server's or the network's words); empty when none are
  bool LeftOnline = false;    // the source's terms forbid carrying its tiles: none were asked for
};

// The tiles for a track in `box`, as of `now` (seconds since 1970). Tiles of the usual source
// outside Japan (OpenStreetMap) are never fetched: its terms forbid it.
PageTiles GatherPageTiles(const GeoBox& box, const TileGathering& gathering, std::int64_t now);

}  // namespace routelet
