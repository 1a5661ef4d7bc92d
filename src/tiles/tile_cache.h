#pragma once
// Tiles kept on disk between runs, each with the time until which its server lets it be used
// without asking again.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace routelet {

// The cache's folder under the user's cache folder (`cacheHome`, such as ~/.cache): routelet/tiles.
// Empty when `cacheHome` is empty: then nothing is kept.
std::string TileCacheFolder(const std::string& cacheHome);

struct CachedTile {
  std::string Bytes;
  bool Fresh = false;  // still within the time its server gave it
};

class TileCache {
 public:
  explicit TileCache(std::string folder) : folder_(std::move(folder)) {}

  // The tile kept for `url`, fresh or not, as of `now` (seconds since 1970); empty when none.
  std::optional<CachedTile> Find(const std::string& url, std::int64_t now) const;
  // Keeps `bytes` for `url` until `freshUntil`. A tile that cannot be kept is simply not kept:
  // the cache only saves work.
  void Store(const std::string& url, std::string_view bytes, std::int64_t freshUntil) const;

 private:
  std::string PathFor(const std::string& url) const;

  std::string folder_;
};

}  // namespace routelet
