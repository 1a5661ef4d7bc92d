#pragma once
// Things fetched or made once and kept on disk between runs (map tiles, photo previews), each
// under a key (a URL, say) with the time until which it may be used without being made again.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace routelet {

// The folder routelet/`kind` (such as "tiles") under the user's cache folder (`cacheHome`, such
// as ~/.cache). Empty when `cacheHome` is empty: then nothing is kept.
std::string CacheFolder(const std::string& cacheHome, std::string_view kind);

struct CachedItem {
  std::string Bytes;
  bool Fresh = false;  // still within the time it was given
};

// Safe to use from several threads and runs at once: each item is written aside and renamed
// into place.
class DiskCache {
 public:
  explicit DiskCache(std::string folder) : folder_(std::move(folder)) {}

  // The item kept under `key`, fresh or not, as of `now` (seconds since 1970); empty when none.
  std::optional<CachedItem> Find(const std::string& key, std::int64_t now) const;
  // Keeps `bytes` under `key` until `freshUntil`. An item that cannot be kept is simply not
  // kept: the cache only saves work.
  void Store(const std::string& key, std::string_view bytes, std::int64_t freshUntil) const;

 private:
  std::string PathFor(const std::string& key) const;

  std::string folder_;
};

}  // namespace routelet
