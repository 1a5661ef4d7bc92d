#include "preview/image.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace routelet {
namespace {

// The source columns (or rows) that target column `to` of `toCount` covers, out of `fromCount`:
// [first, last), never empty.
std::pair<int, int> Covered(int to, int toCount, int fromCount) {
  const auto first = static_cast<int>(std::int64_t{to} * fromCount / toCount);
  const auto last = static_cast<int>(std::int64_t{to + 1} * fromCount / toCount);
  return {first, std::max(last, first + 1)};
}

// Division of the sums ScaledToFit makes (at most 256 times their divisor) by a multiplication:
// exactly the quotient, and several times faster than dividing millions of channel values.
// For n < 2^32 / d, floor(n * ceil(2^32 / d) / 2^32) is floor(n / d).
class SmallDivisors {
 public:
  static constexpr std::uint32_t kLargestExact = 4095;  // 256 * 4095^2 < 2^32

  explicit SmallDivisors(std::uint32_t largest) : multipliers_(std::min(largest, kLargestExact) + 1) {
    for (std::uint32_t d = 1; d < multipliers_.size(); ++d) multipliers_[d] = (std::uint64_t{1} << 32) / d + 1;
  }
  // `n` / `d`, rounded down.
  std::uint32_t Divided(std::uint32_t n, std::uint32_t d) const {
    return d < multipliers_.size() ? static_cast<std::uint32_t>((n * multipliers_[d]) >> 32) : n / d;
  }

 private:
  std::vector<std::uint64_t> multipliers_;
};

// One row of a picture shrunk from the single source row `in`, each new pixel the mean of the
// `columns` it covers, written at `out`; returns the end of what was written.
std::uint8_t* ScaledRow(const std::uint8_t* in, const std::vector<std::pair<int, int>>& columns,
                        const SmallDivisors& divisors, std::uint8_t* out) {
  for (const auto& [first, last] : columns) {
    const std::uint8_t* pixel = in + 3 * first;
    const auto count = static_cast<std::uint32_t>(last - first);
    if (count == 1) {
      std::memcpy(out, pixel, 3);
      out += 3;
      continue;
    }
    std::uint32_t sum[3] = {0, 0, 0};
    for (const std::uint8_t* const end = in + 3 * last; pixel < end; pixel += 3) {
      sum[0] += pixel[0];
      sum[1] += pixel[1];
      sum[2] += pixel[2];
    }
    for (const std::uint32_t channel : sum) *out++ = static_cast<std::uint8_t>(divisors.Divided(channel + count / 2, count));
  }
  return out;
}

}  // namespace

RgbImage ScaledToFit(RgbImage image, int longSide) {
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
  const int widestSpan = (image.Width + scaled.Width - 1) / scaled.Width + 1;
  const int tallestSpan = (image.Height + scaled.Height - 1) / scaled.Height + 1;
  const SmallDivisors divisors(static_cast<std::uint32_t>(widestSpan * tallestSpan));
  std::uint8_t* out = scaled.Pixels.data();
  for (int y = 0; y < scaled.Height; ++y) {
    const auto [top, bottom] = Covered(y, scaled.Height, image.Height);
    if (bottom - top == 1) {
      // Most rows when shrinking a little: one source row, most pixels themselves, with no sums
      // to gather first (it had cost a quarter of a 1,620 px preview's making).
      out = ScaledRow(image.Pixels.data() + std::size_t{3} * image.Width * top, columns, divisors, out);
      continue;
    }
    std::fill(sums.begin(), sums.end(), 0);
    for (int row = top; row < bottom; ++row) {
      const std::uint8_t* in = image.Pixels.data() + std::size_t{3} * image.Width * row;
      std::uint32_t* sum = sums.data();
      for (int x = 0; x < scaled.Width; ++x, sum += 3) {
        // Never an empty span: a picture is only ever shrunk.
        const std::uint8_t* pixel = in + 3 * columns[x].first;
        const std::uint8_t* const end = in + 3 * columns[x].second;
        std::uint32_t r = pixel[0], g = pixel[1], b = pixel[2];
        for (pixel += 3; pixel < end; pixel += 3) {
          r += pixel[0];
          g += pixel[1];
          b += pixel[2];
        }
        sum[0] += r;
        sum[1] += g;
        sum[2] += b;
      }
    }
    const auto rows = static_cast<std::uint32_t>(bottom - top);
    for (int x = 0; x < scaled.Width; ++x) {
      const std::uint32_t count = rows * static_cast<std::uint32_t>(columns[x].second - columns[x].first);
      const std::uint32_t* sum = &sums[3 * x];
      if (count == 1) {  // most pixels when shrinking a little: the source pixel itself
        *out++ = static_cast<std::uint8_t>(sum[0]);
        *out++ = static_cast<std::uint8_t>(sum[1]);
        *out++ = static_cast<std::uint8_t>(sum[2]);
        continue;
      }
      for (int c = 0; c < 3; ++c) *out++ = static_cast<std::uint8_t>(divisors.Divided(sum[c] + count / 2, count));
    }
  }
  return scaled;
}

RgbImage Upright(RgbImage image, int exifOrientation) {
  if (exifOrientation < 2 || exifOrientation > 8 || image.empty()) return image;
  // Orientations 5 to 8 lie on their side: width and height trade places.
  const bool sideways = exifOrientation >= 5;
  RgbImage turned;
  turned.Width = sideways ? image.Height : image.Width;
  turned.Height = sideways ? image.Width : image.Height;
  turned.Pixels.resize(image.Pixels.size());
  const std::ptrdiff_t w = image.Width, h = image.Height, row = turned.Width;
  // Where source pixel (x, y) goes in the upright picture, as a pixel index there:
  // start + x * alongX + y * alongY.
  std::ptrdiff_t start = 0, alongX = 1, alongY = row;
  switch (exifOrientation) {
    case 2: start = w - 1; alongX = -1; break;                         // mirrored left to right
    case 3: start = (h - 1) * row + w - 1; alongX = -1; alongY = -row; break;  // upside down
    case 4: start = (h - 1) * row; alongY = -row; break;               // mirrored top to bottom
    case 5: alongX = row; alongY = 1; break;                           // mirrored along the diagonal
    case 6: start = h - 1; alongX = row; alongY = -1; break;           // to be turned clockwise
    case 7: start = (w - 1) * row + h - 1; alongX = -row; alongY = -1; break;  // the other diagonal
    case 8: start = (w - 1) * row; alongX = -row; alongY = 1; break;   // to be turned anticlockwise
    default: break;
  }
  // In small tiles, so that a turn's writes down a column stay among a few cached lines: pixel by
  // pixel across the whole picture, each write fell in another line, and turning a preview took
  // as long as encoding it. (Eight measured fastest: larger tiles' lines, some thousand bytes
  // apart, began to evict each other.)
  constexpr std::ptrdiff_t kTile = 8;
  const std::uint8_t* const from = image.Pixels.data();
  std::uint8_t* const to = turned.Pixels.data();
  const std::ptrdiff_t step = 3 * alongX;
  for (std::ptrdiff_t top = 0; top < h; top += kTile) {
    for (std::ptrdiff_t left = 0; left < w; left += kTile) {
      const std::ptrdiff_t right = std::min(left + kTile, w), bottom = std::min(top + kTile, h);
      for (std::ptrdiff_t y = top; y < bottom; ++y) {
        const std::uint8_t* in = from + 3 * (y * w + left);
        std::uint8_t* out = to + 3 * (start + left * alongX + y * alongY);
        for (std::ptrdiff_t x = left; x < right; ++x, in += 3, out += step) std::memcpy(out, in, 3);
      }
    }
  }
  return turned;
}

}  // namespace routelet
