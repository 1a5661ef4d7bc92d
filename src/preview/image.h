#pragma once
// A decoded picture in memory, and the steps a preview takes between decoding and encoding:
// shrinking to a size and turning it the way the camera says it was held. They know nothing of
// any file format, so that previews of other formats can share them.
#include <cstdint>
#include <vector>

namespace routelet {

// Pixels row by row from the top left, three bytes (red, green, blue) each, rows without padding.
struct RgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;

  bool empty() const { return Width <= 0 || Height <= 0; }
};

// `image` shrunk so that its longer side is at most `longSide` pixels, the proportions kept;
// each new pixel is the mean of the source pixels it covers, so that fine detail does not
// shimmer. An image already small enough comes back as it is (moved, not copied, when the
// caller gives it up): a preview never grows.
RgbImage ScaledToFit(RgbImage image, int longSide);

// `image` turned as the Exif orientation tag says (1 to 8: the camera's rotation and mirroring),
// so that it shows upright. Other values give the image unchanged (moved, as above).
RgbImage Upright(RgbImage image, int exifOrientation);

}  // namespace routelet
