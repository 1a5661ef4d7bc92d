#include "preview/photo_previews.h"

#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>

#include "photos/byte_source.h"
#include "platform/files.h"
#include "platform/process.h"
#include "preview/camera_preview.h"
#include "preview/exif_orientation.h"
#include "preview/image.h"
#include "preview/jpeg_codec.h"
#include "runtime/disk_cache.h"

namespace routelet {
namespace {

// The bytes of `range` in one read (a whole photo runs to megabytes); empty when they cannot be read.
std::string BytesAt(ByteSource& file, FileRange range) {
  std::string bytes(static_cast<std::size_t>(range.Size), '\0');
  if (!file.Read(range.Offset, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()))) return {};
  return bytes;
}

// The least a preview's longer side may be: nine tenths of what is asked.
int LeastLargeSide(const PreviewSizes& sizes) { return sizes.LargeSide - sizes.LargeSide / 10; }

// Both copies made from the JPEG in `jpeg`, decoded at a reduced scale, shrunk, turned upright
// by `orientation`, and encoded.
PhotoPreview PreviewDecodedFrom(std::string_view jpeg, int orientation, const PreviewSizes& sizes) {
  std::optional<RgbImage> decoded = DecodeJpegForSize(jpeg, sizes.LargeSide);
  if (!decoded) return {};
  // Shrunk before it is turned: turning the smaller picture costs less.
  const RgbImage large = Upright(ScaledToFit(std::move(*decoded), sizes.LargeSide), orientation);
  PhotoPreview preview{EncodeJpeg(large, sizes.LargeQuality),
                       EncodeJpeg(ScaledToFit(large, sizes.ThumbnailSide), sizes.ThumbnailQuality)};
  if (preview.Large.empty() || preview.Thumbnail.empty()) return {};
  return preview;
}

// Whether the camera's preview `copy` is stored no finer than the page's own copies would be.
// Cameras store their previews at high quality, which made a page of such photos up to twice as
// heavy as one of copies made here; one a few steps finer than ours is still taken as it is,
// since encoding it again would lose a little for a little, but a finer one is made again, from
// its own bytes (still far less work than from the photo).
bool NoFinerThanOurOwn(std::string_view copy, const PreviewSizes& sizes) {
  constexpr int kQualityMargin = 5;
  const std::optional<int> quality = EstimatedQuality(copy);
  return quality && *quality <= sizes.LargeQuality + kQualityMargin;
}

// The large copy from the camera's preview `copy` of the size asked: its own bytes, or turned
// upright without decoding; the thumbnail from a reduced decode of that.
std::optional<PhotoPreview> PreviewOfTheSizeAsked(std::string_view copy, int orientation, const PreviewSizes& sizes) {
  PhotoPreview preview{orientation == 1 ? WithoutMetadata(copy) : UprightJpeg(copy, orientation), {}};
  // Turning drops partial blocks at an edge: at most 15 pixels, which may take a side below the least.
  const std::optional<JpegFrame> large = FrameOf(preview.Large);
  if (!large || large->Longer() < LeastLargeSide(sizes)) return std::nullopt;
  if (std::optional<RgbImage> small = DecodeJpegForSize(preview.Large, sizes.ThumbnailSide)) {
    preview.Thumbnail = EncodeJpeg(ScaledToFit(std::move(*small), sizes.ThumbnailSide), sizes.ThumbnailQuality);
  }
  if (preview.Thumbnail.empty()) return std::nullopt;
  return preview;
}

// Both copies made from the camera's own preview in the photo, when it has one of the photo's
// shape and of at least the size asked: a few hundred kilobytes to read and decode instead of the
// photo's megabytes.
std::optional<PhotoPreview> PreviewFromCameraCopy(ByteSource& file, const PreviewSizes& sizes) {
  const std::string headers = JpegHeaders(file);
  const std::optional<JpegFrame> photo = FrameOf(headers);
  const std::optional<FileRange> range = CameraPreviewRange(headers, file.Size());
  if (!photo || !range) return std::nullopt;
  // A preview that does not end where the index says (cut short, or another size) is not taken.
  const std::string copy = BytesAt(file, *range);
  if (!copy.ends_with("\xFF\xD9")) return std::nullopt;
  const std::optional<JpegFrame> frame = FrameOf(copy);
  if (!frame || !SameShape(*photo, *frame) || frame->Longer() < LeastLargeSide(sizes)) return std::nullopt;
  const int orientation = ExifOrientation(headers);
  if (frame->Longer() <= sizes.LargeSide && frame->CommonCoding && NoFinerThanOurOwn(copy, sizes)) {
    if (std::optional<PhotoPreview> preview = PreviewOfTheSizeAsked(copy, orientation, sizes)) return preview;
  }
  PhotoPreview preview = PreviewDecodedFrom(copy, orientation, sizes);
  if (preview.Large.empty()) return std::nullopt;
  return preview;
}

constexpr std::int64_t kKeptForever = std::numeric_limits<std::int64_t>::max();

// What a photo's preview is kept under: the photo's whole path, size and modification time, and
// the preview's sizes, so that a changed photo, or other sizes, make a new one. The path as given
// was relative to the log's folder ("./IMG_0001.JPG"), and another folder's photo of that name,
// size and time was served this one's preview. Empty when the photo cannot be looked at.
std::optional<std::string> CacheKey(const std::string& path, const PreviewSizes& sizes) {
  // The system's form of the path: on Windows a UTF-8 path read as the ANSI code page named
  // another file, or none, and a photo of a Japanese name was decoded again on every run.
  const std::filesystem::path native = platform::NativePath(path);
  std::error_code error;
  const auto size = std::filesystem::file_size(native, error);
  if (error) return std::nullopt;
  const auto modified = std::filesystem::last_write_time(native, error);
  if (error) return std::nullopt;
  const std::filesystem::path whole = std::filesystem::absolute(native, error);
  if (error) return std::nullopt;
  return "preview " + std::to_string(sizes.LargeSide) + " " + std::to_string(sizes.LargeQuality) + " " +
         std::to_string(sizes.ThumbnailSide) + " " + std::to_string(sizes.ThumbnailQuality) + " " +
         std::to_string(size) + " " + std::to_string(modified.time_since_epoch().count()) + " " +
         platform::Utf8Path(whole.lexically_normal());
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
  FileByteSource file(path);
  if (std::optional<PhotoPreview> preview = PreviewFromCameraCopy(file, sizes)) return std::move(*preview);
  const std::string bytes = BytesAt(file, FileRange{0, file.Size()});
  return PreviewDecodedFrom(bytes, ExifOrientation(bytes), sizes);
}

std::vector<PhotoPreview> MakePhotoPreviews(const std::vector<std::string>& paths, const PreviewSizes& sizes,
                                            const Parallelism& work, const std::string& cacheFolder) {
  std::vector<PhotoPreview> previews(paths.size());
  const DiskCache cache(cacheFolder);
  // Each photo takes buffers of some megabytes on its thread, freed before the next photo's: kept
  // for the next rather than mapped afresh, which cost a fifth of the time.
  platform::KeepFreedMemoryForReuse();
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
