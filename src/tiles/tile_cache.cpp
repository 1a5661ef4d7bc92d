#include "tiles/tile_cache.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace routelet {
namespace {

constexpr std::string_view kMagic = "routelet-tile 1\n";

// FNV-1a: a short, stable name for a URL of any length.
std::uint64_t NameHash(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) hash = (hash ^ static_cast<std::uint8_t>(c)) * 0x100000001b3ULL;
  return hash;
}

}  // namespace

std::string TileCacheFolder(const std::string& cacheHome) {
  if (cacheHome.empty()) return {};
  return (std::filesystem::path(cacheHome) / "routelet" / "tiles").string();
}

std::string TileCache::PathFor(const std::string& url) const {
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.tile", static_cast<unsigned long long>(NameHash(url)));
  // A folder per first two characters, so that no folder grows very long.
  return (std::filesystem::path(folder_) / std::string(name, 2) / name).string();
}

// A kept tile is: the magic line, the time it is fresh until, its URL, then its bytes.
std::optional<CachedTile> TileCache::Find(const std::string& url, std::int64_t now) const {
  if (folder_.empty()) return std::nullopt;
  std::ifstream in(PathFor(url), std::ios::binary);
  if (!in) return std::nullopt;
  std::string magic(kMagic.size(), '\0'), until, keptUrl;
  if (!in.read(magic.data(), static_cast<std::streamsize>(magic.size())) || magic != kMagic) return std::nullopt;
  if (!std::getline(in, until) || !std::getline(in, keptUrl) || keptUrl != url) return std::nullopt;
  CachedTile tile{std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), false};
  try {
    tile.Fresh = std::stoll(until) > now;
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return tile;
}

void TileCache::Store(const std::string& url, std::string_view bytes, std::int64_t freshUntil) const {
  if (folder_.empty()) return;
  const std::filesystem::path path = PathFor(url);
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return;
  // Written aside and renamed into place, so that a run stopped halfway, or another run at the
  // same time, never leaves half a tile under the tile's name.
  std::filesystem::path partial = path;
  partial += ".part" + std::to_string(std::random_device{}());
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << kMagic << freshUntil << '\n' << url << '\n';
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      out.close();
      std::filesystem::remove(partial, error);
      return;
    }
  }
  std::filesystem::rename(partial, path, error);
  if (error) std::filesystem::remove(partial, error);
}

}  // namespace routelet
