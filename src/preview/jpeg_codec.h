#pragma once
// JPEG in and out through libjpeg-turbo. Decoding shrinks in the decoder itself (by 1/2 to 1/8),
// so that a preview of a large photo never holds the photo at full size.
#include <optional>
#include <string>
#include <string_view>

#include "preview/image.h"

namespace routelet {

// Whether this build can decode and encode JPEG (the Windows build cannot yet); loads the
// module that does it on the first call.
bool JpegCodecAvailable();

// Why the codec's module could not be loaded (the loader's own text); empty when it was, or when
// this build has no such module.
std::string JpegCodecLoadError();

// The JPEG in `bytes` decoded at the smallest of the decoder's scales (8/8 down to 1/8) whose
// longer side is still at least nine tenths of `longSide` pixels (a preview "about" that size is
// then made without shrinking again); at full size when the photo is no larger.
// Empty when the bytes are not a JPEG the decoder understands.
std::optional<RgbImage> DecodeJpegForSize(std::string_view bytes, int longSide);

// The JPEG in `bytes` turned upright as the Exif orientation (1 to 8) says, without decoding
// it (no loss): a picture whose width or height is not a whole number of coding blocks loses the
// partial blocks at the edge that the turn would move. The result carries no metadata (none of
// the photo's tags, and no orientation for a viewer to apply again). Empty when the bytes are not
// a JPEG the decoder understands.
std::string UprightJpeg(std::string_view bytes, int exifOrientation);

// `image` as a baseline JPEG of `quality` (1 to 100) with 4:2:0 colour; empty on failure.
std::string EncodeJpeg(const RgbImage& image, int quality);

}  // namespace routelet
