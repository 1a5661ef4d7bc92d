#include "preview/jpeg_codec.h"

namespace routelet {

// A build without libjpeg-turbo: no previews, and pages link their photos as before.
bool JpegCodecAvailable() { return false; }
std::string JpegCodecLoadError() { return {}; }

std::optional<RgbImage> DecodeJpegForSize(std::string_view, int) { return std::nullopt; }

std::string EncodeJpeg(const RgbImage&, int) { return {}; }

std::string UprightJpeg(std::string_view, int) { return {}; }

}  // namespace routelet
