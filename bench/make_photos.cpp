// make_photos FOLDER COUNT: writes COUNT camera-like JPEG photos (quality 92) to FOLDER, taken
// 2026:05:03 10:01:00 onwards (Japan time) every 5 seconds, inside the sample ride's time, in
// turns 12 MP (4000 x 3000), 16 MP (4608 x 3456) and 24 MP (6000 x 4000), every third held
// sideways (Exif orientation 6). Their pictures are smooth gradients with grain, so that they
// compress to about the size a camera's do (some megabytes), not to a few kilobytes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "photos/photo_formats.h"
#include "preview/image.h"
#include "preview/jpeg_codec.h"

namespace {

routelet::RgbImage Picture(int width, int height, unsigned seed) {
  routelet::RgbImage image{width, height, std::vector<std::uint8_t>(std::size_t{3} * width * height)};
  std::minstd_rand grain(seed);
  std::uint8_t* p = image.Pixels.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int noise = static_cast<int>(grain() % 48) - 24;
      *p++ = static_cast<std::uint8_t>(std::clamp(x * 200 / width + noise + 20, 0, 255));
      *p++ = static_cast<std::uint8_t>(std::clamp(y * 200 / height + noise + 20, 0, 255));
      *p++ = static_cast<std::uint8_t>(std::clamp(((x / 64 + y / 64) % 2) * 120 + noise + 60, 0, 255));
    }
  }
  return image;
}

// An APP1 Exif block (big-endian) with Orientation in the main directory and DateTimeOriginal
// in the Exif directory.
std::string ExifBlock(int orientation, const std::string& when) {
  const auto u16 = [](int v) { return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 255)}; };
  const auto u32 = [&](int v) { return u16(v >> 16) + u16(v & 0xFFFF); };
  // TIFF header (8), IFD0 with 2 entries at 8 (2 + 24 + 4 = 30), Exif IFD with 1 entry at 38 (2 + 12 + 4), date at 56.
  std::string tiff = "MM" + u16(42) + u32(8);
  tiff += u16(2) + u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0) + u16(0x8769) + u16(4) + u32(1) + u32(38) + u32(0);
  tiff += u16(1) + u16(0x9003) + u16(2) + u32(20) + u32(56) + u32(0);
  tiff += when + std::string(1, '\0');
  const std::string data = std::string("Exif\0\0", 6) + tiff;
  return "\xFF\xE1" + u16(static_cast<int>(data.size()) + 2) + data;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FOLDER COUNT\n", argv[0]);
    return 2;
  }
  const int count = std::atoi(argv[2]);
  routelet::SetPhotoFormatsFolder(ROUTELET_BUILD_DIR);
  if (!routelet::JpegCodecAvailable()) {
    std::fprintf(stderr, "%s: no JPEG codec: %s\n", argv[0], routelet::JpegCodecLoadError().c_str());
    return 1;
  }
  const std::pair<int, int> sizes[] = {{4000, 3000}, {4608, 3456}, {6000, 4000}};
  for (int i = 0; i < count; ++i) {
    const auto [width, height] = sizes[i % 3];
    const std::string jpeg = routelet::EncodeJpeg(Picture(width, height, static_cast<unsigned>(i + 1)), 92);
    if (jpeg.empty()) return 1;
    const int seconds = 60 + 5 * i;
    char when[32], name[32];
    std::snprintf(when, sizeof when, "2026:05:03 10:%02d:%02d", seconds / 60, seconds % 60);
    std::snprintf(name, sizeof name, "/photo-%03d.jpg", i + 1);
    std::ofstream out(std::string(argv[1]) + name, std::ios::binary);
    out << jpeg.substr(0, 2) << ExifBlock(i % 3 == 2 ? 6 : 1, when) << jpeg.substr(2);
    if (!out) return 1;
  }
  return 0;
}
