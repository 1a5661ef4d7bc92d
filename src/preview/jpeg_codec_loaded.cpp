// The JPEG codec of routelet-photo-formats.so, loaded when previews are first made.
#include "photos/photo_formats.h"
#include "preview/jpeg_codec.h"

namespace routelet {

bool JpegCodecAvailable() {
  const PhotoFormats* formats = LoadedPhotoFormats();
  return formats != nullptr && formats->EncodeJpeg != nullptr;
}

std::string JpegCodecLoadError() { return PhotoFormatsLoadError(); }

std::optional<RgbImage> DecodeJpegForSize(std::string_view bytes, int longSide) {
  if (!JpegCodecAvailable()) return std::nullopt;
  return LoadedPhotoFormats()->DecodeJpegForSize(bytes, longSide);
}

std::string EncodeJpeg(const RgbImage& image, int quality) {
  if (!JpegCodecAvailable()) return {};
  return LoadedPhotoFormats()->EncodeJpeg(image, quality);
}

std::string UprightJpeg(std::string_view bytes, int exifOrientation) {
  if (!JpegCodecAvailable()) return {};
  return LoadedPhotoFormats()->UprightJpeg(bytes, exifOrientation);
}

}  // namespace routelet
