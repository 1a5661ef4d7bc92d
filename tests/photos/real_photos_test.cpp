// Capture times of photos from real cameras and editors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "photos/exif_reader.h"
#include "runtime/dates.h"
#include "runtime/text_helpers.h"

namespace routelet {
namespace {

namespace fs = std::filesystem;

// The date a reader gives as text, empty for none.
std::string DateOf(const fs::path& file) {
  const DaySerial date = ReadExifDate(file.string());
  return date == 0 ? std::string() : DateText(date);
}

TEST(RealPhotos, GoldenCaptureTimes) {
  const std::pair<const char*, const char*> goldens[] = {
      // APP0 first, little-endian; DateTime is the editor's save time, 2008/07/31 10:38:11.
      {"Canon_40D.jpg", "2008/05/30 15:56:01"},
      // APP0 first, big-endian; DateTime 2008/07/31 16:49:10 is the editor's.
      {"Fujifilm_FinePix_E500.jpg", "2006/08/17 09:24:48"},
      // Big-endian, DateTime only.
      {"Canon_40D_photoshop_import.jpg", "2008/07/31 10:05:49"},
      // Exif block right after the start of the image, big-endian.
      {"pentax_makernote_variant_2.jpg", "2009/10/10 18:46:42"},
      // An Exif block without date tags; one whose dates are all zeros.
      {"PaintTool_sample.jpg", ""},
      {"olympus_makernote_variant_4.jpg", ""},
  };
  for (const auto& [file, date] : goldens) EXPECT_EQ(DateOf(fs::path(ROUTELET_TEST_DATA_DIR) / "photos" / file), date) << file;
}

// The whole collection of sample photos, when it is beside the project (not in every clone):
// each must give the date that its index predicts, read by strict tools: DateTimeOriginal when
// it is a real date, else a real IFD0 DateTime, else none.
TEST(RealPhotos, WholeCollectionMatchesItsIndex) {
  const fs::path collection = fs::path(ROUTELET_TEST_DATA_DIR) / ".." / ".." / ".." / "shared" / "data" / "photos";
  std::ifstream index(collection / "INDEX.tsv");
  if (!index) GTEST_SKIP() << "no photo collection at " << collection;
  const auto usable = [](std::string text) -> std::optional<std::string> {
    if (text.size() < 19) return std::nullopt;
    text[4] = text[7] = '/';
    const auto date = ParseDateText(text);
    return date ? std::optional(DateText(*date)) : std::nullopt;
  };
  std::string line;
  std::getline(index, line);  // the column names
  int checked = 0;
  while (std::getline(index, line)) {
    const std::vector<std::string_view> columns = SplitFields(line, "\t");
    ASSERT_GE(columns.size(), 5u) << line;
    const std::string file(columns[0]);
    std::string expected = usable(std::string(columns[4])).value_or(usable(std::string(columns[3])).value_or(""));
    // The Exif pointer entry has the wrong type (ASCII), so strict tools never reach the Exif
    // directory; this reader does not look at entry types and finds DateTimeOriginal there.
    if (file == "30-type_error.jpg") expected = "2013/07/05 03:18:27";
    EXPECT_EQ(DateOf(collection / file), expected) << file;
    ++checked;
  }
  EXPECT_GE(checked, 30);
}

}  // namespace
}  // namespace routelet
