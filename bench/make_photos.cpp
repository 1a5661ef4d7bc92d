// make_photos [--no-preview | --preview-side=N --preview-quality=N] FOLDER COUNT: writes COUNT camera-like JPEG photos (quality 92) to
// FOLDER, taken 2026:05:03 10:01:00 onwards (Japan time) every 5 seconds, inside the sample ride's
// time, in turns 12 MP (4000 x 3000), 16 MP (4608 x 3456) and 24 MP (6000 x 4000), every third
// held sideways (Exif orientation 6). Their pictures are smooth gradients with grain, so that they
// compress to about the size a camera's do (some megabytes), not to a few kilobytes.
// As a camera does, each carries a large preview of its picture (1,620 pixels on the longer side,
// quality 90; --preview-side and --preview-quality set others) after the photo, listed in a Multi-Picture index (an
// APP2 segment); --no-preview leaves it out, as a phone's or an editor's export does.
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

// Big-endian integers of 2 and 4 bytes.
std::string U16(int v) { return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 255)}; }
std::string U32(std::uint32_t v) { return U16(static_cast<int>(v >> 16)) + U16(static_cast<int>(v & 0xFFFF)); }

// An APP1 Exif block (big-endian) with Orientation in the main directory and DateTimeOriginal
// in the Exif directory.
std::string ExifBlock(int orientation, const std::string& when) {
  // TIFF header (8), IFD0 with 2 entries at 8 (2 + 24 + 4 = 30), Exif IFD with 1 entry at 38 (2 + 12 + 4), date at 56.
  std::string tiff = "MM" + U16(42) + U32(8);
  tiff += U16(2) + U16(0x0112) + U16(3) + U32(1) + U16(orientation) + U16(0) + U16(0x8769) + U16(4) + U32(1) + U32(38) + U32(0);
  tiff += U16(1) + U16(0x9003) + U16(2) + U32(20) + U32(56) + U32(0);
  tiff += when + std::string(1, '\0');
  const std::string data = std::string("Exif\0\0", 6) + tiff;
  return "\xFF\xE1" + U16(static_cast<int>(data.size()) + 2) + data;
}

// An APP2 Multi-Picture index (big-endian) of two images: the photo (`photoSize` bytes from the
// file's start) and its preview (`previewSize` bytes right after it), whose offset counts from
// the index's TIFF header at file offset `tiffStart`.
std::string MpfSegment(std::uint32_t photoSize, std::uint32_t previewSize, std::uint32_t tiffStart) {
  // TIFF header (8), index with 3 entries at 8 (2 + 36 + 4 = 42), the two MP entries at 50.
  std::string tiff = "MM" + U16(42) + U32(8) + U16(3);
  tiff += U16(0xB000) + U16(7) + U32(4) + "0100";               // version
  tiff += U16(0xB001) + U16(4) + U32(1) + U32(2);               // number of images
  tiff += U16(0xB002) + U16(7) + U32(32) + U32(50) + U32(0);    // the entries
  tiff += U32(0x20030000) + U32(photoSize) + U32(0) + U32(0);   // representative, baseline primary
  tiff += U32(0x00010002) + U32(previewSize) + U32(photoSize - tiffStart) + U32(0);  // large thumbnail
  const std::string data = std::string("MPF\0", 4) + tiff;
  return "\xFF\xE2" + U16(static_cast<int>(data.size()) + 2) + data;
}

// The photo file: `jpeg` with the Exif block, and the preview with its index when there is one.
std::string PhotoFile(const std::string& jpeg, const std::string& exif, const std::string& preview) {
  if (preview.empty()) return jpeg.substr(0, 2) + exif + jpeg.substr(2);
  const std::size_t mpfSize = MpfSegment(0, 0, 0).size();
  const auto photoSize = static_cast<std::uint32_t>(jpeg.size() + exif.size() + mpfSize);
  const auto tiffStart = static_cast<std::uint32_t>(2 + exif.size() + 4 + 4);  // after marker, length, "MPF\0"
  return jpeg.substr(0, 2) + exif + MpfSegment(photoSize, static_cast<std::uint32_t>(preview.size()), tiffStart) +
         jpeg.substr(2) + preview;
}

}  // namespace

// The whole number after `name` in `option` ("--name=N") when it lies in [least, most], else 0.
int NumberOption(const std::string& option, const std::string& name, int least, int most) {
  if (!option.starts_with(name)) return 0;
  const int n = std::atoi(option.c_str() + name.size());
  return n >= least && n <= most ? n : 0;
}

int main(int argc, char** argv) {
  int previewSide = 1620, previewQuality = 90;
  bool usable = argc >= 3;
  for (int at = 1; at < argc - 2; ++at) {
    const std::string option = argv[at];
    if (option == "--no-preview") {
      previewSide = 0;
    } else if (option.starts_with("--preview-side=")) {
      previewSide = NumberOption(option, "--preview-side=", 1, 100000);
      usable = usable && previewSide > 0;
    } else {
      previewQuality = NumberOption(option, "--preview-quality=", 1, 100);
      usable = usable && previewQuality > 0;
    }
  }
  const bool withPreview = previewSide > 0;
  if (!usable) {
    std::fprintf(stderr, "usage: %s [--no-preview | --preview-side=N --preview-quality=N] FOLDER COUNT\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[argc - 2];
  const int count = std::atoi(argv[argc - 1]);
  routelet::SetPhotoFormatsFolder(ROUTELET_BUILD_DIR);
  if (!routelet::JpegCodecAvailable()) {
    std::fprintf(stderr, "%s: no JPEG codec: %s\n", argv[0], routelet::JpegCodecLoadError().c_str());
    return 1;
  }
  const std::pair<int, int> sizes[] = {{4000, 3000}, {4608, 3456}, {6000, 4000}};
  for (int i = 0; i < count; ++i) {
    const auto [width, height] = sizes[i % 3];
    const routelet::RgbImage picture = Picture(width, height, static_cast<unsigned>(i + 1));
    const std::string jpeg = routelet::EncodeJpeg(picture, 92);
    const std::string preview = withPreview ? routelet::EncodeJpeg(routelet::ScaledToFit(picture, previewSide), previewQuality) : "";
    if (jpeg.empty() || (withPreview && preview.empty())) return 1;
    const int seconds = 60 + 5 * i;
    char when[32], name[32];
    std::snprintf(when, sizeof when, "2026:05:03 10:%02d:%02d", seconds / 60, seconds % 60);
    std::snprintf(name, sizeof name, "/photo-%03d.jpg", i + 1);
    std::ofstream out(folder + name, std::ios::binary);
    out << PhotoFile(jpeg, ExifBlock(i % 3 == 2 ? 6 : 1, when), preview);
    if (!out) return 1;
  }
  return 0;
}
