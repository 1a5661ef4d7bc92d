// Inside routelet-photo-formats.so: HEIF photos through libheif (the container, the decoder);
// the preview is encoded as the previews of JPEG photos are (jpeg_codec_turbo.cpp).
#include <libheif/heif.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "photos/photo_formats_linked.h"
#include "preview/image.h"
#include "runtime/base64.h"

namespace routelet {
namespace {

struct ContextFree {
  void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
  void operator()(heif_image* image) const { heif_image_release(image); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<heif_image, ImageRelease>;

// The largest image a preview is decoded from: 120 million pixels, beyond the largest phone
// sensors' usual output (108 MP). A file may claim any size (an overlay image names its own
// canvas), and the decoder would try to allocate it whole: gigabytes from a few hundred bytes.
constexpr long long kMaxDecodedPixels = 120'000'000;
// The widest and tallest image the library itself is to accept while reading.
constexpr int kMaxImageSide = 16384;

Context NewContext() {
  Context context(heif_context_alloc());
  heif_context_set_maximum_image_size_limit(context.get(), kMaxImageSide);
  return context;
}

// The primary image of a context that read a file or bytes; empty when there is none.
Handle PrimaryImage(heif_context* context, heif_error read) {
  heif_image_handle* handle = nullptr;
  if (read.code != heif_error_Ok || heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok) {
    return nullptr;
  }
  return Handle(handle);
}

// The tags of the primary image's first Exif item. The item begins with the big-endian offset
// of the TIFF header from the end of those four bytes (usually past an "Exif\0\0" identifier).
PhotoTags TagsOf(heif_image_handle* handle) {
  heif_item_id id = 0;
  if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) != 1) return {};
  std::string item(heif_image_handle_get_metadata_size(handle, id), '\0');
  if (item.size() < 4 || heif_image_handle_get_metadata(handle, id, item.data()).code != heif_error_Ok) return {};
  const auto byte = [&](std::size_t i) { return std::uint64_t{static_cast<std::uint8_t>(item[i])}; };
  const std::uint64_t offset = (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
  MemoryByteSource source(item);
  return ReadTiffTags(source, 4 + offset);
}

// The RGB rows (`stride` bytes apart) as a JPEG of quality 80 in a data: URI; empty when
// encoding fails.
std::string JpegUriOf(const std::uint8_t* pixels, int width, int stride, int height) {
  RgbImage image{width, height, {}};
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  image.Pixels.resize(row * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::copy_n(pixels + static_cast<std::ptrdiff_t>(y) * stride, row, image.Pixels.data() + row * static_cast<std::size_t>(y));
  }
  const std::string jpeg = linked::EncodeJpeg(image, 80);
  return jpeg.empty() ? std::string() : DataUri("image/jpeg", jpeg);
}

}  // namespace
}  // namespace routelet

namespace routelet::linked {

std::optional<PhotoTags> ReadHeifTags(const std::string& path) {
  const Context context = NewContext();
  const Handle image = PrimaryImage(context.get(), heif_context_read_from_file(context.get(), path.c_str(), nullptr));
  if (!image) return std::nullopt;
  return TagsOf(image.get());
}

std::optional<PhotoTags> ReadHeifTagsFromBytes(std::string_view bytes) {
  const Context context = NewContext();
  const Handle image = PrimaryImage(
      context.get(), heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr));
  if (!image) return std::nullopt;
  return TagsOf(image.get());
}

std::string HeifPreviewUri(const std::string& path, int longSide) {
  const Context context = NewContext();
  const Handle handle = PrimaryImage(context.get(), heif_context_read_from_file(context.get(), path.c_str(), nullptr));
  if (!handle) return {};
  const long long claimedPixels =
      static_cast<long long>(heif_image_handle_get_width(handle.get())) * heif_image_handle_get_height(handle.get());
  if (claimedPixels <= 0 || claimedPixels > kMaxDecodedPixels) return {};
  heif_image* decoded = nullptr;
  if (heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code != heif_error_Ok) {
    return {};
  }
  Image image(decoded);
  const int width = heif_image_get_width(decoded, heif_channel_interleaved);
  const int height = heif_image_get_height(decoded, heif_channel_interleaved);
  if (width <= 0 || height <= 0) return {};
  if (std::max(width, height) > longSide) {
    const double scale = static_cast<double>(longSide) / std::max(width, height);
    heif_image* scaled = nullptr;
    const int newWidth = std::max(1, static_cast<int>(width * scale)), newHeight = std::max(1, static_cast<int>(height * scale));
    if (heif_image_scale_image(decoded, &scaled, newWidth, newHeight, nullptr).code != heif_error_Ok) return {};
    image.reset(scaled);
  }
  int stride = 0;
  const std::uint8_t* pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  if (pixels == nullptr) return {};
  return JpegUriOf(pixels, heif_image_get_width(image.get(), heif_channel_interleaved), stride,
                   heif_image_get_height(image.get(), heif_channel_interleaved));
}

}  // namespace routelet::linked
