#include "preview/image.h"

#include <algorithm>
#include <cstddef>

namespace routelet {
namespace {

// The source columns (or rows) that target column `to` of `toCount` covers, out of `fromCount`:
// [first, last), never empty.
std::pair<int, int> Covered(int to, int toCount, int fromCount) {
  const auto first = static_cast<int>(std::int64_t{to} * fromCount / toCount);
  const auto last = static_cast<int>(std::int64_t{to + 1} * fromCount / toCount);
  return {first, std::max(last, first + 1)};
}

}  // namespace

RgbImage ScaledToFit(const RgbImage& image, int longSide) {
  const int longer = std::max(image.Width, image.Height);
  if (image.empty() || longSide <= 0 || longer <= longSide) return image;
  RgbImage scaled;
  scaled.Width = std::max(1, static_cast<int>(std::int64_t{image.Width} * longSide / longer));
  scaled.Height = std::max(1, static_cast<int>(std::int64_t{image.Height} * longSide / longer));
  scaled.Pixels.resize(std::size_t{3} * scaled.Width * scaled.Height);
  // Column spans are the same for every row: worked out once.
  std::vector<std::pair<int, int>> columns(scaled.Width);
  for (int x = 0; x < scaled.Width; ++x) columns[x] = Covered(x, scaled.Width, image.Width);
  std::vector<std::uint32_t> sums(std::size_t{3} * scaled.Width);
  std::uint8_t* out = scaled.Pixels.data();
  for (int y = 0; y < scaled.Height; ++y) {
    const auto [top, bottom] = Covered(y, scaled.Height, image.Height);
    std::fill(sums.begin(), sums.end(), 0);
    for (int row = top; row < bottom; ++row) {
      const std::uint8_t* in = image.Pixels.data() + std::size_t{3} * image.Width * row;
      for (int x = 0; x < scaled.Width; ++x) {
        std::uint32_t r = 0, g = 0, b = 0;
        for (int column = columns[x].first; column < columns[x].second; ++column) {
          r += in[3 * column];
          g += in[3 * column + 1];
          b += in[3 * column + 2];
        }
        sums[3 * x] += r;
        sums[3 * x + 1] += g;
        sums[3 * x + 2] += b;
      }
    }
    for (int x = 0; x < scaled.Width; ++x) {
      const std::uint32_t count = static_cast<std::uint32_t>((bottom - top) * (columns[x].second - columns[x].first));
      for (int c = 0; c < 3; ++c) *out++ = static_cast<std::uint8_t>((sums[3 * x + c] + count / 2) / count);
    }
  }
  return scaled;
}

RgbImage Upright(const RgbImage& image, int exifOrientation) {
  if (exifOrientation < 2 || exifOrientation > 8 || image.empty()) return image;
  // Orientations 5 to 8 lie on their side: width and height trade places.
  const bool sideways = exifOrientation >= 5;
  RgbImage turned;
  turned.Width = sideways ? image.Height : image.Width;
  turned.Height = sideways ? image.Width : image.Height;
  turned.Pixels.resize(image.Pixels.size());
  const int w = image.Width, h = image.Height;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      // Where source pixel (x, y) goes in the upright picture.
      int tx = x, ty = y;
      switch (exifOrientation) {
        case 2: tx = w - 1 - x; break;                 // mirrored left to right
        case 3: tx = w - 1 - x; ty = h - 1 - y; break; // upside down
        case 4: ty = h - 1 - y; break;                 // mirrored top to bottom
        case 5: tx = y; ty = x; break;                 // mirrored along the diagonal
        case 6: tx = h - 1 - y; ty = x; break;         // to be turned clockwise
        case 7: tx = h - 1 - y; ty = w - 1 - x; break; // mirrored along the other diagonal
        case 8: tx = y; ty = w - 1 - x; break;         // to be turned anticlockwise
        default: break;
      }
      const std::uint8_t* from = image.Pixels.data() + 3 * (std::size_t{static_cast<std::size_t>(y)} * w + x);
      std::uint8_t* to = turned.Pixels.data() + 3 * (std::size_t{static_cast<std::size_t>(ty)} * turned.Width + tx);
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
    }
  }
  return turned;
}

}  // namespace routelet
