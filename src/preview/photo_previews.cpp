#include "preview/photo_previews.h"

#include <fstream>
#include <iterator>

#include "preview/exif_orientation.h"
#include "preview/image.h"
#include "preview/jpeg_codec.h"

namespace routelet {
namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
                                            const Parallelism& work) {
  std::vector<PhotoPreview> previews(paths.size());
  // One photo a chunk: each takes long enough that handing them out one by one costs nothing.
  ForEachChunk(paths.size(), work.Threads, [&](std::size_t k) { previews[k] = MakePhotoPreview(paths[k], sizes); });
  return previews;
}

}  // namespace routelet
