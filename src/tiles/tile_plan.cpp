#include "tiles/tile_plan.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <tuple>

#include "runtime/text_helpers.h"

namespace routelet {
namespace {

// The page draws its map the same way (see the shipped template's fit() and drawTiles()): a
// world square 0..1, tiles of 256 pixels, room kept around the fitted route, a track at least
// 200 m wide, and whole zoom levels over a background map.
constexpr double kTilePixels = 256;
constexpr double kPadLeft = 24, kPadRight = 60, kPadTop = 40, kPadBottom = 24;
constexpr double kLeastSpanKm = 0.2;
constexpr double kKmPerDegree = 20000.0 / 180;

// The smallest and the largest map the page lays out, in pixels: a phone's, and the widest page
// (1200 wide) at its tallest (520 high; 58% of the window's height below that). Any width may come
// with any height, so every zoom level that some size opens with is covered as wide as the largest.
struct MapSize {
  double Width, Height;
};
constexpr MapSize kSmallestMap = {320, 300};
constexpr MapSize kLargestMap = {1200, 520};

struct WorldBox {
  double MinX, MinY, MaxX, MaxY;
};

double MercatorX(double longitude) { return (longitude + 180) / 360; }
double MercatorY(double latitude) {
  const double sine = std::sin(std::clamp(latitude, -85.0511, 85.0511) * std::numbers::pi / 180);
  return 0.5 - std::log((1 + sine) / (1 - sine)) / (4 * std::numbers::pi);
}
double LatitudeOf(double y) { return std::atan(std::sinh(std::numbers::pi * (1 - 2 * y))) * 180 / std::numbers::pi; }

// The zoom level the page opens with for `world` in a map of `size`.
int OpeningZoom(const WorldBox& world, MapSize size) {
  const double middleY = (world.MinY + world.MaxY) / 2;
  const double kmPerWorld = 360 * kKmPerDegree * std::cos(LatitudeOf(middleY) * std::numbers::pi / 180);
  const double least = kLeastSpanKm / kmPerWorld;
  const double spanX = std::max(world.MaxX - world.MinX, least), spanY = std::max(world.MaxY - world.MinY, least);
  const double fitScale = std::min((size.Width - kPadLeft - kPadRight) / spanX, (size.Height - kPadTop - kPadBottom) / spanY);
  return static_cast<int>(std::floor(std::log2(fitScale / kTilePixels)));
}

// Adds the tiles at level `z` that cover [left, right] x [top, bottom] of the world.
void AddTiles(int z, double left, double top, double right, double bottom, std::vector<TileKey>& tiles,
              std::set<std::tuple<int, std::int64_t, std::int64_t>>& seen) {
  const auto n = std::int64_t{1} << z;
  const auto y0 = std::max<std::int64_t>(0, static_cast<std::int64_t>(std::floor(top * n)));
  const auto y1 = std::min<std::int64_t>(n - 1, static_cast<std::int64_t>(std::floor(bottom * n)));
  const auto x0 = static_cast<std::int64_t>(std::floor(left * n));
  const auto x1 = std::min(static_cast<std::int64_t>(std::floor(right * n)), x0 + n - 1);
  for (std::int64_t y = y0; y <= y1; ++y) {
    for (std::int64_t x = x0; x <= x1; ++x) {
      const std::int64_t wrapped = (x % n + n) % n;  // east of 180° is the world's west again
      if (seen.emplace(z, wrapped, y).second) tiles.push_back({z, wrapped, y});
    }
  }
}

}  // namespace

std::string TileKey::Text() const { return std::to_string(Z) + "/" + std::to_string(X) + "/" + std::to_string(Y); }

std::vector<TileKey> TilesForTrack(const GeoBox& box, ZoomRange zooms, int closerLevels) {
  const WorldBox world{MercatorX(box.West), MercatorY(box.North), MercatorX(box.East), MercatorY(box.South)};
  const double middleX = (world.MinX + world.MaxX) / 2, middleY = (world.MinY + world.MaxY) / 2;
  std::vector<TileKey> tiles;
  std::set<std::tuple<int, std::int64_t, std::int64_t>> seen;
  const int farthest = std::clamp(std::min(OpeningZoom(world, kSmallestMap), OpeningZoom(world, {kLargestMap.Width, kSmallestMap.Height})), zooms.Min, zooms.Max);
  const int closest = std::clamp(std::max(OpeningZoom(world, kLargestMap), OpeningZoom(world, {kSmallestMap.Width, kLargestMap.Height})), zooms.Min, zooms.Max);
  for (int z = farthest; z <= closest; ++z) {
    // The view the page opens with: centred on the track, shifted by the uneven room around it.
    const double scale = kTilePixels * std::ldexp(1.0, z);
    const double centreX = middleX + (kPadRight - kPadLeft) / 2 / scale;
    const double centreY = middleY + (kPadBottom - kPadTop) / 2 / scale;
    const double halfWidth = kLargestMap.Width / 2 / scale, halfHeight = kLargestMap.Height / 2 / scale;
    AddTiles(z, centreX - halfWidth, centreY - halfHeight, centreX + halfWidth, centreY + halfHeight, tiles, seen);
  }
  const double marginX = (world.MaxX - world.MinX) / 16, marginY = (world.MaxY - world.MinY) / 16;
  for (int z = closest + 1; z <= std::min(closest + closerLevels, zooms.Max); ++z) {
    AddTiles(z, world.MinX - marginX, world.MinY - marginY, world.MaxX + marginX, world.MaxY + marginY, tiles, seen);
  }
  return tiles;
}

std::string TileUrl(const std::string& urlTemplate, const TileKey& tile) {
  std::string url = urlTemplate;
  const std::pair<std::string_view, std::string> fills[] = {
      {"{z}", std::to_string(tile.Z)}, {"{x}", std::to_string(tile.X)}, {"{y}", std::to_string(tile.Y)}};
  for (const auto& [name, value] : fills) ReplaceAllInPlace(url, name, value);
  return url;
}

}  // namespace routelet
