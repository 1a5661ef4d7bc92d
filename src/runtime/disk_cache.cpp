#include "runtime/disk_cache.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace routelet {
namespace {

constexpr std::string_view kMagic = "routelet-cache 1\n";

// FNV-1a: a short, stable name for a key of any length.
std::uint64_t NameHash(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) hash = (hash ^ static_cast<std::uint8_t>(c)) * 0x100000001b3ULL;
  return hash;
}

}  // namespace

std::string CacheFolder(const std::string& cacheHome, std::string_view kind) {
  if (cacheHome.empty()) return {};
  return (std::filesystem::path(cacheHome) / "routelet" / kind).string();
}

std::string DiskCache::PathFor(const std::string& key) const {
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.kept", static_cast<unsigned long long>(NameHash(key)));
  // A folder per first two characters, so that no folder grows very long.
  return (std::filesystem::path(folder_) / std::string(name, 2) / name).string();
}

// A kept item is: the magic line, the time it is fresh until, its key, then its bytes.
std::optional<CachedItem> DiskCache::Find(const std::string& key, std::int64_t now) const {
  if (folder_.empty()) return std::nullopt;
  std::ifstream in(PathFor(key), std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  std::string magic(kMagic.size(), '\0'), until, keptKey;
  in.seekg(0);
  if (!in.read(magic.data(), static_cast<std::streamsize>(magic.size())) || magic != kMagic) return std::nullopt;
  if (!std::getline(in, until) || !std::getline(in, keptKey) || keptKey != key) return std::nullopt;
  // The bytes in one read: previews run to hundreds of kilobytes.
  const std::streamoff start = in.tellg();
  if (start < 0 || start > size) return std::nullopt;
  CachedItem item{std::string(static_cast<std::size_t>(size - start), '\0'), false};
  if (!in.read(item.Bytes.data(), size - start)) return std::nullopt;
  try {
    item.Fresh = std::stoll(until) > now;
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return item;
}

void DiskCache::Store(const std::string& key, std::string_view bytes, std::int64_t freshUntil) const {
  if (folder_.empty()) return;
  const std::filesystem::path path = PathFor(key);
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return;
  // Written aside and renamed into place, so that a run stopped halfway, or another run at the
  // same time, never leaves half an item under the item's name.
  std::filesystem::path partial = path;
  partial += ".part" + std::to_string(std::random_device{}());
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << kMagic << freshUntil << '\n' << key << '\n';
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
