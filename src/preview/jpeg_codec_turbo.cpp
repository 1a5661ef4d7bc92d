// Inside routelet-photo-formats.so: JPEG previews through libjpeg-turbo.
#include <turbojpeg.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "photos/photo_formats_linked.h"

namespace routelet {
namespace {

// A TurboJPEG handle, destroyed with its scope. Each call makes its own, so that several threads
// code at once without sharing anything.
using Handle = std::unique_ptr<void, int (*)(tjhandle)>;

// The scaled size of `width` x `height` that keeps the longer side at least nine tenths of
// `longSide`, among the scales the decoder offers.
std::pair<int, int> DecodedSize(int width, int height, int longSide) {
  longSide = longSide - longSide / 10;
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  std::pair<int, int> best{width, height};
  for (int i = 0; i < count; ++i) {
    const tjscalingfactor factor = factors[i];
    // Shrinking only, and only by the eighths a DCT decoder does cheaply.
    if (factor.num > factor.denom || 8 % factor.denom != 0) continue;
    const int w = TJSCALED(width, factor), h = TJSCALED(height, factor);
    if (std::max(w, h) >= longSide && std::max(w, h) < std::max(best.first, best.second)) best = {w, h};
  }
  return best;
}

// The lossless operation that shows a picture of Exif orientation `orientation` upright.
TJXOP UprightOperation(int orientation) {
  switch (orientation) {
    case 2: return TJXOP_HFLIP;
    case 3: return TJXOP_ROT180;
    case 4: return TJXOP_VFLIP;
    case 5: return TJXOP_TRANSPOSE;
    case 6: return TJXOP_ROT90;
    case 7: return TJXOP_TRANSVERSE;
    case 8: return TJXOP_ROT270;
    default: return TJXOP_NONE;
  }
}

}  // namespace
}  // namespace routelet

namespace routelet::linked {

std::optional<RgbImage> DecodeJpegForSize(std::string_view bytes, int longSide) {
  const Handle handle(tjInitDecompress(), tjDestroy);
  if (!handle) return std::nullopt;
  auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto size = static_cast<unsigned long>(bytes.size());
  int width = 0, height = 0, subsampling = 0, colours = 0;
  if (tjDecompressHeader3(handle.get(), data, size, &width, &height, &subsampling, &colours) != 0) return std::nullopt;
  if (width <= 0 || height <= 0) return std::nullopt;
  RgbImage image;
  std::tie(image.Width, image.Height) = DecodedSize(width, height, longSide);
  image.Pixels.resize(std::size_t{3} * image.Width * image.Height);
  // A photo cut short still gives what it holds (the rest grey), as a browser would show it.
  if (tjDecompress2(handle.get(), data, size, image.Pixels.data(), image.Width, 0, image.Height, TJPF_RGB,
                    TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE) != 0 &&
      tjGetErrorCode(handle.get()) == TJERR_FATAL) {
    return std::nullopt;
  }
  return image;
}

std::string EncodeJpeg(const RgbImage& image, int quality) {
  if (image.empty()) return {};
  const Handle handle(tjInitCompress(), tjDestroy);
  if (!handle) return {};
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int failed = tjCompress2(handle.get(), image.Pixels.data(), image.Width, 0, image.Height, TJPF_RGB, &out,
                                 &size, TJSAMP_420, quality, TJFLAG_FASTDCT);
  std::string jpeg;
  if (failed == 0 && out != nullptr) jpeg.assign(reinterpret_cast<const char*>(out), size);
  tjFree(out);
  return jpeg;
}

std::string UprightJpeg(std::string_view bytes, int exifOrientation) {
  const Handle handle(tjInitTransform(), tjDestroy);
  if (!handle) return {};
  tjtransform transform{};
  transform.op = UprightOperation(exifOrientation);
  // Partial blocks cannot be moved losslessly: they are dropped. No marker of the source is
  // copied: its tags are not the page's to carry, and an orientation tag would be applied twice.
  transform.options = TJXOPT_TRIM | TJXOPT_COPYNONE;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int failed = tjTransform(handle.get(), reinterpret_cast<const unsigned char*>(bytes.data()),
                                 static_cast<unsigned long>(bytes.size()), 1, &out, &size, &transform, 0);
  std::string jpeg;
  if (failed == 0 && out != nullptr) jpeg.assign(reinterpret_cast<const char*>(out), size);
  tjFree(out);
  return jpeg;
}

}  // namespace routelet::linked
