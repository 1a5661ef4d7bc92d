// Photo previews: turned upright by the Exif orientation, shrunk by averaging, decoded at a
// reduced scale, and the whole way from a file to its two copies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "photos/photo_formats.h"
#include "preview/camera_preview.h"
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

TEST(Upright, TurnedThereAndBackAcrossTilesIsThePictureAgain) {
  // Larger than the tiles a turn works in, and no whole number of them either way.
  RgbImage picture{131, 70, {}};
  for (int i = 0; i < picture.Width * picture.Height * 3; ++i) picture.Pixels.push_back(static_cast<std::uint8_t>(i * 7 + i / 251));
  const std::pair<int, int> thereAndBack[] = {{2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 8}, {7, 7}, {8, 6}};
  for (const auto& [there, back] : thereAndBack) {
    const RgbImage turned = Upright(picture, there);
    EXPECT_EQ(std::pair(turned.Width, turned.Height), there >= 5 ? std::pair(70, 131) : std::pair(131, 70)) << there;
    EXPECT_EQ(Upright(turned, back).Pixels, picture.Pixels) << there;
  }
}

TEST(ScaledToFit, AveragesWhatEachPixelCoversAndNeverGrows) {
  // Each new pixel is the mean of the 2 x 2 it covers: (a + c + i + k) / 4 is f.
  EXPECT_EQ(LettersOf(ScaledToFit(Letters(4, "acegikmo"), 2)), "2x1 fj");
  // Shrunk a little: the pixels themselves, and the mean where a new one covers two (g and i).
  EXPECT_EQ(LettersOf(ScaledToFit(Letters(5, "acegi"), 4)), "4x1 aceh");
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

TEST(PhotoPreview, KeptForTheFileNotForItsNameInTheFolderARunIsIn) {
  if (!JpegCodecAvailable()) GTEST_SKIP() << "a build without libjpeg-turbo";
  // Two cards' first photos: one name, one size, one time, two pictures (dark and light).
  testing::TempDir folder;
  const auto photoIn = [&](const std::string& card, std::uint8_t grey) {
    std::filesystem::create_directory(folder.File(card));
    std::string jpeg = EncodeJpeg(RgbImage{64, 48, std::vector<std::uint8_t>(64 * 48 * 3, grey)}, 90);
    jpeg.resize(4096, '\0');  // the same size: a viewer reads nothing after the picture's end
    return folder.Write(card + "/IMG_0001.JPG", jpeg);
  };
  const std::string dark = photoIn("dark", 20), light = photoIn("light", 230);
  std::filesystem::last_write_time(light, std::filesystem::last_write_time(dark));
  const std::filesystem::path runFolder = std::filesystem::current_path();
  const auto greyOfPreviewIn = [&](const std::string& card) {
    std::filesystem::current_path(folder.File(card));
    const auto made = MakePhotoPreviews({"./IMG_0001.JPG"}, {320, 80, 40, 70}, {2, 0}, folder.File("cache"));
    std::filesystem::current_path(runFolder);
    const auto decoded = DecodeJpegForSize(made.at(0).Large, 1000);
    return decoded ? static_cast<int>(decoded->Pixels.at(0)) : -1;
  };
  EXPECT_LT(greyOfPreviewIn("dark"), 40);
  EXPECT_GT(greyOfPreviewIn("light"), 210);
}

// A camera's photo file: the photo (`photo`, a JPEG), an Exif block, a Multi-Picture index of
// the photo and one more entry, and that entry's picture (`preview`) after the photo.
struct CameraEntry {
  std::uint32_t Attribute = 0x010002;  // a large thumbnail of the full-HD class, as JPEG
  std::int64_t SizeChange = 0;         // added to the preview's true size
  std::optional<std::uint32_t> Offset{};  // instead of the preview's true offset
  std::uint32_t EntryBytes = 32;       // the index's stated length of its entries
  bool PaddedPast64KiB = false;        // other segments before the index fill more than 64 KiB
};
std::string Big(std::uint32_t v, int bytes) {
  std::string s;
  for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
  return s;
}
std::string Segment(int marker, const std::string& data) { return "\xFF" + Big(marker, 1) + Big(data.size() + 2, 2) + data; }
std::string CameraPhoto(const std::string& photo, int orientation, const std::string& preview, const CameraEntry& entry) {
  const std::string head = ExifWithOrientation(false, orientation).substr(2) +
                           (entry.PaddedPast64KiB ? Segment(0xE3, std::string(65000, 'x')) : "");
  const auto tiffStart = static_cast<std::uint32_t>(2 + head.size() + 8);
  const auto photoSize = static_cast<std::uint32_t>(photo.size() + head.size() + 4 + 4 + 26 + 32);
  // TIFF header, an index of one tag (the entries, at 26), the photo's entry and the preview's.
  const std::string tiff = "MM" + Big(42, 2) + Big(8, 4) + Big(1, 2) + Big(0xB002, 2) + Big(7, 2) + Big(entry.EntryBytes, 4) +
                           Big(26, 4) + Big(0, 4) + Big(0x20030000, 4) + Big(photoSize, 4) + Big(0, 4) + Big(0, 4) + Big(entry.Attribute, 4) +
                           Big(static_cast<std::uint32_t>(preview.size() + entry.SizeChange), 4) +
                           Big(entry.Offset.value_or(photoSize - tiffStart), 4) + Big(0, 4);
  return "\xFF\xD8" + head + Segment(0xE2, std::string("MPF\0", 4) + tiff) + photo.substr(2) + preview;
}

// Sizes, and whether reddish (the preview) or bluish (the photo), of a preview's two copies.
std::string Described(const PhotoPreview& preview) {
  const auto large = DecodeJpegForSize(preview.Large, 1000), small = DecodeJpegForSize(preview.Thumbnail, 1000);
  if (!large || !small) return "none";
  const std::uint8_t* middle = &large->Pixels[3 * (large->Pixels.size() / 6)];
  return std::to_string(large->Width) + "x" + std::to_string(large->Height) + (middle[0] > middle[2] ? " preview " : " photo ") +
         std::to_string(small->Width) + "x" + std::to_string(small->Height) +
         (ExifOrientation(preview.Large) != 1 ? " still tagged" : "");
}

TEST(PhotoPreview, FromTheCamerasPreviewOnlyWhenItIsOneOfThePhotosShapeAndSize) {
  if (!JpegCodecAvailable()) GTEST_SKIP() << "a build without libjpeg-turbo";
  const auto picture = [](int w, int h, std::uint8_t red, int quality = 90) {
    RgbImage image{w, h, {}};
    for (int i = 0; i < w * h; ++i) image.Pixels.insert(image.Pixels.end(), {red, 30, static_cast<std::uint8_t>(250 - red)});
    return EncodeJpeg(image, quality);
  };
  const std::string photo = picture(640, 512, 20);  // 5:4
  struct Case {
    const char* What;
    int PreviewWidth, PreviewHeight, Orientation;
    CameraEntry Entry;
    const char* Expected;
    int PreviewQuality = 75;
  };
  const Case cases[] = {
      {"the size asked: as it is", 160, 128, 1, {}, "160x128 preview 40x32 as stored"},
      {"the size asked, stored finer than ours", 160, 128, 1, {}, "160x128 preview 40x32", 95},
      {"VGA class, turned without decoding", 160, 128, 6, {.Attribute = 0x010001}, "128x160 preview 32x40"},
      {"larger: decoded at a scale", 200, 160, 6, {}, "120x150 preview 32x40"},
      {"index beyond the first 64 KiB", 160, 128, 1, {.PaddedPast64KiB = true}, "160x128 preview 40x32 as stored"},
      {"letterboxed", 160, 120, 1, {}, "160x128 photo 40x32"},
      {"smaller than asked", 120, 96, 1, {}, "160x128 photo 40x32"},
      {"a gain map", 160, 128, 1, {.Attribute = 0}, "160x128 photo 40x32"},
      {"not stored as JPEG", 160, 128, 1, {.Attribute = 0x03010002}, "160x128 photo 40x32"},
      {"size past the end", 160, 128, 1, {.SizeChange = 1}, "160x128 photo 40x32"},
      {"size short of the preview's end", 160, 128, 1, {.SizeChange = -9}, "160x128 photo 40x32"},
      {"offset past the end", 160, 128, 1, {.Offset = 0xFFFFFFF0}, "160x128 photo 40x32"},
      {"offset into the photo", 160, 128, 1, {.Offset = 40}, "160x128 photo 40x32"},
      {"entries past the index", 160, 128, 1, {.EntryBytes = 48}, "160x128 preview 40x32 as stored"},
      {"entry count huge", 160, 128, 1, {.EntryBytes = 0xFFFFFFF0}, "160x128 preview 40x32 as stored"},
      {"no entries", 160, 128, 1, {.EntryBytes = 16}, "160x128 photo 40x32"},
  };
  testing::TempDir folder;
  for (const Case& c : cases) {
    const std::string path = folder.File("camera.jpg");
    // The preview carries tags of its own, which the page's copy must not.
    const std::string preview =
        ExifWithOrientation(true, 8) + picture(c.PreviewWidth, c.PreviewHeight, 230, c.PreviewQuality).substr(2);
    std::ofstream(path, std::ios::binary) << CameraPhoto(photo, c.Orientation, preview, c.Entry);
    const PhotoPreview made = MakePhotoPreview(path, {160, 80, 40, 70});
    EXPECT_EQ(Described(made) + (made.Large == WithoutMetadata(preview) ? " as stored" : ""), c.Expected) << c.What;
  }
}

TEST(EstimatedQuality, FromTheLuminanceTableInEitherPrecision) {
  if (!JpegCodecAvailable()) GTEST_SKIP() << "a build without libjpeg-turbo";
  // The encoder's table 0 (zigzag order, 8 bits) as another quantisation segment would store it.
  using Rewrite = std::string (*)(const std::string&);
  const Rewrite asStored = [](const std::string& t) { return Segment(0xDB, '\0' + t); };
  const Rewrite sixteenBit = [](const std::string& t) {
    std::string wide(1, '\x10');
    for (const char q : t) wide += Big(static_cast<std::uint8_t>(q), 2);
    return Segment(0xDB, wide);
  };
  const Rewrite cutShort = [](const std::string& t) { return Segment(0xDB, '\0' + t.substr(0, 40)); };
  const Rewrite asTable1 = [](const std::string& t) { return Segment(0xDB, '\1' + t); };
  const struct { int Quality; Rewrite Table; int Expected; } cases[] = {
      {50, asStored, 50}, {75, asStored, 75}, {80, asStored, 80}, {90, asStored, 90}, {95, asStored, 95},
      {90, sixteenBit, 90}, {90, cutShort, 0}, {90, asTable1, 0},
  };
  for (const auto& c : cases) {
    std::string jpeg = EncodeJpeg(RgbImage{16, 16, std::vector<std::uint8_t>(16 * 16 * 3, 90)}, c.Quality);
    const std::size_t at = jpeg.find(std::string_view("\xFF\xDB\x00\x43\x00", 5));  // the encoder's table 0
    ASSERT_NE(at, std::string::npos);
    jpeg.replace(at, 69, c.Table(jpeg.substr(at + 5, 64)));
    EXPECT_NEAR(EstimatedQuality(jpeg).value_or(0), c.Expected, 2) << c.Quality;
  }
}

}  // namespace
}  // namespace routelet
