// Photo previews: turned upright by the Exif orientation, shrunk by averaging, decoded at a
// reduced scale, and the whole way from a file to its two copies.
#include <gtest/gtest.h>

#include <fstream>

#include "photos/photo_formats.h"
#include "preview/exif_orientation.h"
#include "preview/image.h"
#include "preview/jpeg_codec.h"
#include "preview/photo_previews.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

#if ROUTELET_PHOTO_FORMATS_MODULE
// The codec comes from the module the build put beside the program.
const bool kModuleFromBuildFolder = (SetPhotoFormatsFolder(ROUTELET_BUILD_DIR), true);
#endif

// A picture whose pixels are letters, row by row ("abc", "def"): each pixel's red byte.
RgbImage Letters(int width, std::string_view letters) {
  RgbImage image{width, static_cast<int>(letters.size()) / width, {}};
  for (const char c : letters) image.Pixels.insert(image.Pixels.end(), {static_cast<std::uint8_t>(c), 0, 0});
  return image;
}
std::string LettersOf(const RgbImage& image) {
  std::string letters;
  for (std::size_t i = 0; i < image.Pixels.size(); i += 3) letters += static_cast<char>(image.Pixels[i]);
  return std::to_string(image.Width) + "x" + std::to_string(image.Height) + " " + letters;
}

TEST(Upright, EachExifOrientation) {
  // The picture the camera stored (abc over def) and how it shows upright.
  const std::pair<int, std::string> cases[] = {
      {1, "3x2 abcdef"}, {2, "3x2 cbafed"}, {3, "3x2 fedcba"}, {4, "3x2 defabc"},
      {5, "2x3 adbecf"}, {6, "2x3 daebfc"}, {7, "2x3 fcebda"}, {8, "2x3 cfbead"}, {0, "3x2 abcdef"}, {9, "3x2 abcdef"},
  };
  for (const auto& [orientation, shown] : cases) EXPECT_EQ(LettersOf(Upright(Letters(3, "abcdef"), orientation)), shown) << orientation;
}

TEST(ScaledToFit, AveragesWhatEachPixelCoversAndNeverGrows) {
  // Each new pixel is the mean of the 2 x 2 it covers: (a + c + i + k) / 4 is f.
  EXPECT_EQ(LettersOf(ScaledToFit(Letters(4, "acegikmo"), 2)), "2x1 fj");
  EXPECT_EQ(LettersOf(ScaledToFit(Letters(2, "ab"), 4)), "2x1 ab");
}

// A JPEG's first bytes with an Exif block whose main directory holds Orientation = `value`.
std::string ExifWithOrientation(bool bigEndian, int value) {
  const auto two = [&](int v) { return bigEndian ? std::string{char(v >> 8), char(v)} : std::string{char(v), char(v >> 8)}; };
  const std::string four = bigEndian ? std::string("\0\0\0\x08", 4) : std::string("\x08\0\0\0", 4);
  const std::string tiff = (bigEndian ? "MM" : "II") + two(42) + four + two(1) + two(0x0112) + two(3) +
                           (bigEndian ? std::string("\0\0\0\x01", 4) : std::string("\x01\0\0\0", 4)) + two(value) + two(0) +
                           std::string(4, '\0');
  const std::string app1 = std::string("Exif\0\0", 6) + tiff;
  return std::string("\xFF\xD8\xFF\xE1", 4) + char((app1.size() + 2) >> 8) + char(app1.size() + 2) + app1;
}

TEST(ExifOrientation, ReadFromEitherByteOrderElseUpright) {
  EXPECT_EQ(ExifOrientation(ExifWithOrientation(true, 6)), 6);
  EXPECT_EQ(ExifOrientation(ExifWithOrientation(false, 8)), 8);
  EXPECT_EQ(ExifOrientation(ExifWithOrientation(false, 9)), 1);   // out of range
  EXPECT_EQ(ExifOrientation(ExifWithOrientation(true, 6).substr(0, 30)), 1);  // cut short
  EXPECT_EQ(ExifOrientation("\xFF\xD8\xFF\xDA"), 1);  // no Exif before the image data
}

TEST(PhotoPreview, ScaledInTheDecoderTurnedUprightAndTheFileLeftAlone) {
  if (!JpegCodecAvailable()) GTEST_SKIP() << "a build without libjpeg-turbo";
  RgbImage photo{640, 480, std::vector<std::uint8_t>(640 * 480 * 3, 128)};
  const std::string jpeg = EncodeJpeg(photo, 90);
  ASSERT_FALSE(jpeg.empty());
  const auto decoded = DecodeJpegForSize(jpeg, 150);  // 1/4 is the smallest scale still 150 wide
  ASSERT_TRUE(decoded);
  EXPECT_EQ(std::pair(decoded->Width, decoded->Height), std::pair(160, 120));
  EXPECT_FALSE(DecodeJpegForSize("not a photo", 100));

  testing::TempDir folder;
  const std::string path = folder.File("turned.jpg");
  // The Exif block goes between the start-of-image marker and the rest.
  const std::string file = ExifWithOrientation(false, 6) + jpeg.substr(2);
  std::ofstream(path, std::ios::binary) << file;
  const PhotoPreview preview = MakePhotoPreview(path, {320, 80, 40, 70});
  const auto large = DecodeJpegForSize(preview.Large, 1000), small = DecodeJpegForSize(preview.Thumbnail, 1000);
  ASSERT_TRUE(large && small);
  EXPECT_EQ(std::pair(large->Width, large->Height), std::pair(240, 320));
  EXPECT_EQ(std::pair(small->Width, small->Height), std::pair(30, 40));
  std::ifstream kept(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), file);
  EXPECT_TRUE(MakePhotoPreview(folder.File("missing.jpg"), {}).Large.empty());

  // A kept preview serves the same photo again, and never a photo changed since.
  const PreviewSizes sizes{320, 80, 40, 70};
  const auto previews = [&] { return MakePhotoPreviews({path}, sizes, {2, 0}, folder.File("cache"))[0]; };
  EXPECT_EQ(previews().Large, preview.Large);
  EXPECT_EQ(previews().Large, preview.Large);
  std::ofstream(path, std::ios::binary) << EncodeJpeg(RgbImage{64, 48, std::vector<std::uint8_t>(64 * 48 * 3, 9)}, 90);
  EXPECT_EQ(DecodeJpegForSize(previews().Large, 1000)->Width, 64);
}

}  // namespace
}  // namespace routelet
