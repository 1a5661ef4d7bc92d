// The tiles a page needs, how long a server lets a tile be kept, and the cache that keeps it.
#include <gtest/gtest.h>

#include <set>

#include "runtime/base64.h"
#include "support/temp_dir.h"
#include "tiles/http_freshness.h"
#include "tiles/page_tiles.h"
#include "runtime/disk_cache.h"
#include "tiles/tile_plan.h"

namespace routelet {
namespace {

TEST(TilesForTrack, OpeningLevelsThenOneCloserEachTileOnceWithinTheWorld) {
  struct Case {
    const char* name;
    GeoBox box;
    ZoomRange zooms;
    std::set<int> levels;
  };
  const Case cases[] = {
      {"a 3 km ride", {35.01, 135.76, 35.04, 135.77}, {0, 19}, {13, 14, 15}},
      {"one spot: 200 m wide", {35.0, 135.0, 35.0, 135.0}, {0, 19}, {17, 18, 19}},
      {"the source's levels bound it", {35.01, 135.76, 35.04, 135.77}, {5, 13}, {13}},
      {"across the 180th meridian", {-17.9, 179.9, -17.7, 180.0}, {0, 19}, {10, 11, 12}},
      {"the far north, clamped", {84.0, 10.0, 85.5, 11.0}, {0, 19}, {4, 5, 6}},
  };
  for (const Case& c : cases) {
    const std::vector<TileKey> tiles = TilesForTrack(c.box, c.zooms, 1);
    std::set<int> levels;
    std::set<std::string> seen;
    for (const TileKey& tile : tiles) {
      levels.insert(tile.Z);
      EXPECT_TRUE(seen.insert(tile.Text()).second) << c.name << ": " << tile.Text() << " twice";
      EXPECT_TRUE(tile.X >= 0 && tile.Y >= 0 && tile.X < (1 << tile.Z) && tile.Y < (1 << tile.Z)) << c.name << ": " << tile.Text();
    }
    EXPECT_EQ(levels, c.levels) << c.name;
    EXPECT_LE(tiles.size(), 150u) << c.name;
  }
  EXPECT_EQ(TileUrl("http://h/{z}/{x}/{y}.png?z={z}", {3, 5, 7}), "http://h/3/5/7.png?z=3");
}

TEST(FreshnessOf, TheCachingHeaders) {
  const std::pair<std::vector<std::string_view>, Freshness> cases[] = {
      {{"Cache-Control: public, max-age=86400", "Age: 400"}, {true, 86000}},
      {{"cache-control: max-age=60\r\n", "Expires: Sun, 06 Nov 1994 09:49:37 GMT"}, {true, 60}},
      {{"Expires: Sun, 06 Nov 1994 09:49:37 GMT", "Date: Sun, 06 Nov 1994 08:49:37 GMT"}, {true, 3600}},
      {{"Cache-Control: no-cache, max-age=600"}, {true, 0}},
      {{"Cache-Control: no-store"}, {false, 0}},
      {{"Cache-Control: max-age=soon", "Expires: 0", "Date: Sun, 06 Nov 1994 08:49:37 GMT"}, {true, 0}},
      {{"Content-Type: image/png"}, {true, 0}},
  };
  for (const auto& [lines, expected] : cases) {
    const Freshness got = FreshnessOf(lines);
    EXPECT_EQ(std::pair(got.Storable, got.Seconds), std::pair(expected.Storable, expected.Seconds)) << lines.front();
  }
  EXPECT_EQ(HttpDateSeconds("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
}

TEST(DiskCache, KeepsATileWhileFreshThenStaleAndNothingWithoutAFolder) {
  testing::TempDir home;
  const DiskCache cache(CacheFolder(home.path().string(), "tiles"));
  cache.Store("http://h/1/2/3.png", std::string("\x89PNG\0\n", 6), 1000);
  const auto fresh = cache.Find("http://h/1/2/3.png", 999), stale = cache.Find("http://h/1/2/3.png", 1000);
  ASSERT_TRUE(fresh && stale);
  EXPECT_EQ(std::tuple(fresh->Bytes, fresh->Fresh, stale->Fresh), std::tuple(std::string("\x89PNG\0\n", 6), true, false));
  EXPECT_FALSE(cache.Find("http://h/1/2/4.png", 0));
  EXPECT_FALSE(DiskCache("").Find("http://h/1/2/3.png", 0));
}

// Inside Japan the GSI map is carried; elsewhere OpenStreetMap's map is left online (its terms
// forbid fetching tiles for later) unless the user names a server of their own.
TEST(GatherPageTiles, OpenStreetMapNeverFetchedTheGsiMapAndOwnServersAre) {
  const GeoBox kyoto{35.0, 135.7, 35.1, 135.8}, rome{41.8, 12.4, 41.9, 12.5};
  const struct {
    GeoBox Box;
    std::string Own;
    std::string_view Host;
    bool LeftOnline;
  } cases[] = {{kyoto, "", "cyberjapandata.gsi.go.jp", false},
               {rome, "", "tile.openstreetmap.org", true},
               {rome, "http://127.0.0.1:1/{z}/{x}/{y}.png", "127.0.0.1:1", false}};
  for (const auto& c : cases) {
    EXPECT_NE(TileSourceFor(c.Box, c.Own).UrlTemplate.find(c.Host), std::string::npos) << c.Host;
    TileGathering gathering;
    gathering.OwnSource = c.Own;
    if (!c.LeftOnline) continue;  // the others would ask a server
    const PageTiles tiles = GatherPageTiles(c.Box, gathering, 0);
    EXPECT_EQ(std::tuple(tiles.LeftOnline, tiles.Wanted, tiles.Table), std::tuple(true, std::size_t{0}, std::string()));
  }
}

TEST(Base64, TheStandardsVectors) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"foobar", "Zm9vYmFy"}, {"\xFF\xFE", "//4="}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(DataUri("x/y", bytes), "data:x/y;base64," + std::string(text));
}

}  // namespace
}  // namespace routelet
