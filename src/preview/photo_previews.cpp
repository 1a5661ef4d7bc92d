#include "preview/photo_previews.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>

#include "preview/exif_orientation.h"
#include "preview/image.h"
#include "preview/jpeg_codec.h"
#include "runtime/disk_cache.h"

namespace routelet {
namespace {

// The whole file in one read: photos run to megabytes.
std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (size <= 0) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(bytes.data(), size)) return {};
  return bytes;
}

constexpr std::int64_t kKeptForever = std::numeric_limits<std::int64_t>::max();

// What a photo's preview is kept under: the photo's path, size and modification time, and the
// preview's sizes, so that a changed photo, or other sizes, make a new one. Empty when the
// photo cannot be looked at.
std::optional<std::string> CacheKey(const std::string& path, const PreviewSizes& sizes) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  const auto modified = std::filesystem::last_write_time(path, error);
  if (error) return std::nullopt;
  return "preview " + std::to_string(sizes.LargeSide) + " " + std::to_string(sizes.LargeQuality) + " " +
         std::to_string(sizes.ThumbnailSide) + " " + std::to_string(sizes.ThumbnailQuality) + " " +
         std::to_string(size) + " " + std::to_string(modified.time_since_epoch().count()) + " " + path;
}

// A preview kept as one item: the large copy's length on a line, the large copy, the thumbnail.
std::string Packed(const PhotoPreview& preview) {
  return std::to_string(preview.Large.size()) + "\n" + preview.Large + preview.Thumbnail;
}
std::optional<PhotoPreview> Unpacked(const std::string& item) {
  const std::size_t line = item.find('\n');
  if (line == std::string::npos) return std::nullopt;
  std::size_t large = 0;
  const auto [end, failed] = std::from_chars(item.data(), item.data() + line, large);
  if (failed != std::errc() || end != item.data() + line || large == 0 || large >= item.size() - line - 1) return std::nullopt;
  return PhotoPreview{item.substr(line + 1, large), item.substr(line + 1 + large)};
}

}  // namespace

PhotoPreview MakePhotoPreview(const std::string& path, const PreviewSizes& sizes) {
  const std::string bytes = FileBytes(path);
  const std::optional<RgbImage> decoded = DecodeJpegForSize(bytes, sizes.LargeSide);
  if (!decoded) return {};
  // Shrunk before it is turned: turning the smaller picture costs less.
  const RgbImage large = Upright(ScaledToFit(*decoded, sizes.LargeSide), ExifOrientation(bytes));
  PhotoPreview preview{EncodeJpeg(large, sizes.LargeQuality),
                       EncodeJpeg(ScaledToFit(large, sizes.ThumbnailSide), sizes.ThumbnailQuality)};
  if (preview.Large.empty() || preview.Thumbnail.empty()) return {};
  return preview;
}

std::vector<PhotoPreview> MakePhotoPreviews(const std::vector<std::string>& paths, const PreviewSizes& sizes,
                                            const Parallelism& work, const std::string& cacheFolder) {
  std::vector<PhotoPreview> previews(paths.size());
  const DiskCache cache(cacheFolder);
  // One photo a chunk: each takes long enough that handing them out one by one costs nothing.
  ForEachChunk(paths.size(), work.Threads, [&](std::size_t k) {
    if (paths[k].empty()) return;
    const std::optional<std::string> key = cacheFolder.empty() ? std::nullopt : CacheKey(paths[k], sizes);
    if (key) {
      if (const std::optional<CachedItem> kept = cache.Find(*key, 0)) {
        if (auto preview = Unpacked(kept->Bytes)) {
          previews[k] = std::move(*preview);
          return;
        }
      }
    }
    previews[k] = MakePhotoPreview(paths[k], sizes);
    if (key && !previews[k].Large.empty()) cache.Store(*key, Packed(previews[k]), kKeptForever);
  });
  return previews;
}

}  // namespace routelet
