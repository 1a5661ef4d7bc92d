#pragma once
// Which background-map tiles a page needs to show its track without asking any server: those
// its map opens with on a phone or a desktop screen, and those of the next closer zoom level
// over the track.
#include <cstdint>
#include <string>
#include <vector>

namespace routelet {

// A tile of the Web Mercator grid: zoom level z cuts the world into 2^z by 2^z tiles.
struct TileKey {
  int Z = 0;
  std::int64_t X = 0;
  std::int64_t Y = 0;

  bool operator==(const TileKey&) const = default;
  // "z/x/y", as the page looks tiles up.
  std::string Text() const;
};

// The track's extent in degrees.
struct GeoBox {
  double South = 0, West = 0, North = 0, East = 0;
};

// The zoom levels a source offers.
struct ZoomRange {
  int Min = 0;
  int Max = 19;
};

// The tiles of `zooms` that the page's map shows for `box` when it opens, for every map size
// from a phone's to a wide desktop window's, then those over the track (with a small margin) at
// `closerLevels` levels closer than the closest of those. Each tile once, the opening levels
// first, and within a level from the top left row by row.
std::vector<TileKey> TilesForTrack(const GeoBox& box, ZoomRange zooms, int closerLevels);

// `urlTemplate` with "{z}", "{x}" and "{y}" replaced by the tile's numbers.
std::string TileUrl(const std::string& urlTemplate, const TileKey& tile);

}  // namespace routelet
