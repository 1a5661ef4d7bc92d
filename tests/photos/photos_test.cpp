// Photos: the capture time read from a JPEG's Exif block, and the list of photos taken during
// the track.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "photos/exif_reader.h"
#include "photos/jpeg_builder.h"
#include "photos/photo_list.h"
#include "runtime/dates.h"
#include "runtime/text_helpers.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using namespace routelet::testing;
namespace fs = std::filesystem;

constexpr ByteOrder kLE = ByteOrder::kLittle;
constexpr ByteOrder kBE = ByteOrder::kBig;
constexpr const char* kModified = "2011:11:05 12:34:56";
constexpr const char* kCaptured = "2010:04:03 07:08:09";
constexpr const char* kBlank = "    :  :     :  :  ";
constexpr const char* kZero = "0000:00:00 00:00:00";

DaySerial At(int year, int month, int day, int hours = 0, int minutes = 0, int seconds = 0) {
  return DateFromParts(year, month, day) + TimeFromParts(hours, minutes, seconds);
}
const DaySerial kModifiedSerial = At(2011, 11, 5, 12, 34, 56);
const DaySerial kCapturedSerial = At(2010, 4, 3, 7, 8, 9);

std::string Photo(ByteOrder order, std::optional<std::string_view> dateTime, std::optional<std::string_view> original) {
  return Jpeg({ExifSegment(CameraTiff(order, dateTime, original))});
}

// The camera layout with one 16-bit or 32-bit field overwritten: untrusted counts and offsets.
std::string Patched(ByteOrder order, std::size_t at, std::uint32_t value, bool wide) {
  TiffBlock tiff = CameraTiff(order, kModified, kCaptured);
  wide ? tiff.U32(at, value) : tiff.U16(at, static_cast<std::uint16_t>(value));
  return Jpeg({ExifSegment(tiff)});
}

// Each photo is read from memory and from a file, and both must give the expected date; no
// read may reach outside the bytes, whatever the offsets and counts in them say.
TEST(ExifDate, LayoutsAndHostileFields) {
  const std::string exif = ExifSegment(CameraTiff(kLE, kModified, kCaptured));
  const std::string soi = "\xFF\xD8";
  // In CameraTiff the Exif pointer's value lies at 42; the Exif directory lies at 100, the
  // value of its DateTimeOriginal entry at 122.
  constexpr std::size_t kPointerValue = 42, kExifCount = 100, kOriginalValue = 122;

  TiffBlock movedIfd0(kBE, 300);  // a decoy directory at 8 must not be read
  movedIfd0.Directory(8, {{kDateTime, 240}}).Text(240, "1999:01:01 00:00:00");
  movedIfd0.Directory(300, {{kDateTime, 220}}).Text(220, kModified);
  TiffBlock twoPointers(kBE);  // the later pointer wins
  twoPointers.Directory(8, {{kExifPointer, 400}, {kExifPointer, 100}});
  twoPointers.Directory(400, {{kDateTimeOriginal, 260}}).Text(260, "1999:01:01 00:00:00");
  twoPointers.Directory(100, {{kDateTimeOriginal, 240}}).Text(240, kCaptured);
  TiffBlock twoDateTimes(kLE);  // the first one counts
  twoDateTimes.Directory(8, {{kDateTime, 220}, {kDateTime, 240}}).Text(220, kModified).Text(240, kCaptured);
  TiffBlock dateCutByEnd(kLE);
  dateCutByEnd.Directory(8, {{kDateTime, 60}}).Bytes(60, "2011:11:05 12:34");
  TiffBlock dateBeforeStart(kLE);  // a valid date lies right after the entries
  dateBeforeStart.Directory(8, {{kDateTime, 0xFFFFFF00}}).Bytes(22, kModified);

  const struct {
    const char* what;
    std::string bytes;
    DaySerial expected;
  } cases[] = {
      {"DateTime only, little-endian", Photo(kLE, kModified, std::nullopt), kModifiedSerial},
      {"DateTime only, big-endian", Photo(kBE, kModified, std::nullopt), kModifiedSerial},
      {"original wins, big-endian", Photo(kBE, kModified, kCaptured), kCapturedSerial},
      {"original only", Photo(kBE, std::nullopt, kCaptured), kCapturedSerial},
      {"an unusable original falls back", Photo(kLE, kModified, kBlank), kModifiedSerial},
      {"no date tags", Photo(kLE, std::nullopt, std::nullopt), 0},
      {"APP0 first", Jpeg({JfifSegment(), exif}), kCapturedSerial},
      {"APP0 and an XMP APP1 first", Jpeg({JfifSegment(), XmpSegment(), exif}), kCapturedSerial},
      {"a fill byte before the marker", Jpeg({"\xFF" + exif}), kCapturedSerial},
      {"the first two bytes untested", "AB" + exif + ImageData(), kCapturedSerial},
      // The file is read through a window of 4096 bytes from the offset of the first read (2).
      {"large segments before the Exif block", Jpeg({JfifSegment(), Segment(0xE2, std::string(30000, 'i')),
                                                      Segment(0xED, std::string(9000, 'p')), exif}), kCapturedSerial},
      {"a marker across the window's end", Jpeg({JfifSegment(), Segment(0xE2, std::string(4073, 'i')), exif}),
       kCapturedSerial},
      {"IFD0 where the header says", Jpeg({ExifSegment(movedIfd0)}), kModifiedSerial},
      {"the first DateTime counts", Jpeg({ExifSegment(twoDateTimes)}), kModifiedSerial},
      {"the later Exif pointer wins", Jpeg({ExifSegment(twoPointers)}), kCapturedSerial},
      {"Exif after start-of-scan", soi + ImageData().substr(0, 10) + exif, 0},
      {"Exif after end-of-image", soi + "\xFF\xD9" + exif, 0},
      {"no marker before Exif", soi + "xx" + exif, 0},
      {"segment length below two", soi + std::string("\xFF\xE0\x00\x01", 4) + exif, 0},
      {"segment length past the end", soi + "\xFF\xE0\xFF\xF0" + exif, 0},
      {"APP1 without the Exif identifier", soi + Segment(0xE1, "Exof" + exif.substr(8)), 0},
      {"IFD0 offset past the end", Patched(kLE, 4, 0x00100000, true), 0},
      {"IFD0 offset before the start", Patched(kBE, 4, 0xFFFFFF00, true), 0},
      {"IFD0 offset overflows", Patched(kLE, 4, 0x7FFFFFFF, true), 0},
      {"IFD0 count with the top bit set", Patched(kBE, 8, 0x8001, false), 0},
      // Entries are walked up to the end of the file; the real ones come first.
      {"IFD0 count past the end", Patched(kLE, 8, 0x7FFF, false), kCapturedSerial},
      {"Exif count negative", Patched(kLE, kExifCount, 0xFFFF, false), kModifiedSerial},
      {"Exif pointer past the end", Patched(kBE, kPointerValue, 0x00FFFFFF, true), kModifiedSerial},
      {"original offset past the end", Patched(kBE, kOriginalValue, 0x00FFFFFF, true), kModifiedSerial},
      {"original offset overflows", Patched(kLE, kOriginalValue, 0x7FFFFFF0, true), kModifiedSerial},
      {"date text cut by the end of the file", soi + ExifSegment(dateCutByEnd), 0},
      {"date offset before the start", Jpeg({ExifSegment(dateBeforeStart)}), 0},
      {"no bytes", "", 0},
      {"only start-of-image", soi, 0},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadExifDateFromBytes(c.bytes), c.expected);
    EXPECT_EQ(ReadExifDate(dir.Write("photo.jpg", c.bytes)), c.expected);
  }
}

// Texts padded with blanks to the 19 bytes that are read.
TEST(ExifDate, DateTexts) {
  const std::pair<std::string, DaySerial> cases[] = {
      {"2011:11:05 12:34:56", kModifiedSerial}, {"2011-11-05 12:34:56", kModifiedSerial},
      {"2011.11.05 12:34:56", kModifiedSerial}, {"2011:11:05", At(2011, 11, 5)},
      {"   2011:11:05", At(2011, 11, 5)},       {"2012:02:29 23:59:59", At(2012, 2, 29, 23, 59, 59)},
      {"2011:11", 0},                           {"2011:11:05 12:34", 0},
      {kBlank, 0},                              {kZero, 0},
      {"2011:02:29 12:00:00", 0},               {"2011:13:05 12:00:00", 0},
      {"2011:11:00 12:00:00", 0},               {"2011:11:05 24:00:00", 0},
      {"2011:11:05 12:60:00", 0},               {"2011:11:05 12:00:60", 0},
      {std::string("2011:11:05 12:34:5\0", 19), 0}, {"not a date at all!!", 0},
  };
  for (const auto& [text, expected] : cases) {
    std::string padded = text;  // with blanks to the 19 bytes that are read
    padded.resize(19, ' ');
    for (ByteOrder order : {kLE, kBE}) EXPECT_EQ(ReadExifDateFromBytes(Photo(order, padded, std::nullopt)), expected) << text;
  }
}

// Every prefix of a photo is a truncated file: none may read outside it or invent a date.
TEST(ExifDate, TruncatedFilesGiveTheDateOrNothing) {
  for (ByteOrder order : {kLE, kBE}) {
    const std::string photo = Jpeg({JfifSegment(), XmpSegment(), ExifSegment(CameraTiff(order, kModified, kCaptured))});
    for (std::size_t length = 0; length < photo.size(); ++length) {
      const DaySerial date = ReadExifDateFromBytes(std::string_view(photo).substr(0, length));
      EXPECT_TRUE(date == 0 || date == kCapturedSerial || date == kModifiedSerial) << length;
    }
  }
}

TEST(ExifDate, FilesThatAreNotPhotosGiveNothing) {
  TempDir dir;
  EXPECT_EQ(ReadExifDate(dir.File("missing.jpg")), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing.jpg")));
  std::filesystem::create_directory(dir.File("folder.jpg"));
  EXPECT_EQ(ReadExifDate(dir.File("folder.jpg")), 0);
  // A named pipe must neither block the open nor be read.
  ASSERT_EQ(::mkfifo(dir.File("pipe.jpg").c_str(), 0600), 0);
  EXPECT_EQ(ReadExifDate(dir.File("pipe.jpg")), 0);
}

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

// A photo whose capture time is `exifDate` and whose IFD0 DateTime is a later edit.
std::string PhotoTakenAt(std::string_view exifDate) {
  return Jpeg({JfifSegment(), ExifSegment(CameraTiff(kBE, "2020:01:01 00:00:00", exifDate))});
}

TrackSummary Span(std::int64_t minTime, std::int64_t maxTime) { return {.MinTime = minTime, .MaxTime = maxTime}; }
const TrackSummary kWideOpen = Span(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());

class PhotoList : public ::testing::Test {
 protected:
  std::string Build(std::string_view section, const TrackSummary& span = kWideOpen) {
    sections.clear();
    if (!section.empty()) sections.Set("photolist", std::string(section));
    photos = 0;
    return BuildPhotoList(dir.File("track.nmea"), sections, span, photos, ui);
  }

  TempDir dir;
  SectionStore sections;
  RecordingFrontEnd ui;
  std::int64_t photos = 0;
};

// A camera set to Japan time is 9 hours ahead of the track: 2011-11-05 12:34:56 on it is Unix
// 1320464096. The items show the camera's own time; both ends of the span belong to it.
TEST_F(PhotoList, ListsThePhotosOfTheSpanInNameOrder) {
  dir.Write("1.jpg", PhotoTakenAt("2011:11:05 12:34:55"));
  dir.Write("b.JPG", PhotoTakenAt("2011:11:05 12:50:00"));
  dir.Write("a.jpg", PhotoTakenAt("2011:11:05 12:34:56"));
  dir.Write("C.jpeg", PhotoTakenAt("2011:11:05 13:00:00"));
  dir.Write("d.jpg", "not a photo");
  dir.Write("f.jpg", PhotoTakenAt("2011:11:05 13:00:01"));
  dir.Write("e.png", PhotoTakenAt("2011:11:05 12:50:00"));
  std::filesystem::create_directory(dir.File("g.jpg"));
  EXPECT_EQ(Build("[id]|[file]|[time]|[timestr]", Span(1320464096, 1320465600)),
            "1|a.jpg|1320464096|2011/11/05 12:34:56\r\n2|b.JPG|1320465000|2011/11/05 12:50:00\r\n"
            "3|C.jpeg|1320465600|2011/11/05 13:00:00\r\n");
  EXPECT_EQ(photos, 3);
  std::vector<std::string> shown;
  for (const char* name : {"1.jpg", "a.jpg", "b.JPG", "C.jpeg", "d.jpg", "f.jpg"}) {
    shown.push_back(std::string("画像データExif情報解析中：") + name);
  }
  EXPECT_EQ(ui.progress, shown);
  EXPECT_EQ(Build("[file]", TrackSummary{}), "");  // an empty span
  EXPECT_EQ(photos, 0);
}

// Placeholders are filled one after another: a file name holding "[time]" has it filled, one
// holding "[id]" keeps it. Without a section each photo gives a bare line end.
TEST_F(PhotoList, SectionRules) {
  dir.Write("[id][time].jpg", PhotoTakenAt("2000:01:01 09:00:00"));
  EXPECT_EQ(Build("[id][id] [file] [timestr]|[time]"), "11 [id] 946684800.jpg 2000/01/01 09:00:00| 946684800\r\n");
  EXPECT_EQ(Build(""), "\r\n");
  EXPECT_EQ(photos, 1);
}

// Names that would break markup or a link, or smuggle script into the page, come out escaped
// through the two safe placeholders while "[file]" keeps the name as it is.
TEST_F(PhotoList, SafePlaceholdersEscapeHostileNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\"b.jpg", "<img src=\"a%22b.jpg\" alt=\"a&quot;b.jpg\">a\"b.jpg"},
      {"<script>x<\\script>.jpg",
       "<img src=\"%3Cscript%3Ex%3C%5Cscript%3E.jpg\" alt=\"&lt;script&gt;x&lt;\\script&gt;.jpg\"><script>x<\\script>.jpg"},
      {"IMG#1 ?.jpg", "<img src=\"IMG%231%20%3F.jpg\" alt=\"IMG#1 ?.jpg\">IMG#1 ?.jpg"},
      {"x'y&z%.jpg", "<img src=\"x%27y%26z%25.jpg\" alt=\"x&#39;y&amp;z%.jpg\">x'y&z%.jpg"},
      {"[filename].jpg", "<img src=\"%5Bfilename%5D.jpg\" alt=\"&#91;filename&#93;.jpg\">[filename].jpg"},
      {"旅.jpg", "<img src=\"%E6%97%85.jpg\" alt=\"旅.jpg\">旅.jpg"},
  };
  for (const auto& [name, item] : cases) {
    const std::string path = dir.Write(name, PhotoTakenAt("2011:11:05 12:34:56"));
    EXPECT_EQ(Build("<img src=\"[file:url]\" alt=\"[file:html]\">[file]"), std::string(item) + "\r\n");
    std::filesystem::remove(path);
  }
}

// The photos are read beside the log even when the program runs elsewhere, where a photo of
// the same name must not be read instead.
TEST(PhotoListFolders, PhotosAreReadBesideTheLog) {
  TempDir elsewhere, trip;
  elsewhere.Write("a.jpg", PhotoTakenAt("1999:01:01 00:00:00"));
  trip.Write("a.jpg", PhotoTakenAt("2011:11:05 12:34:56"));
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  SectionStore sections;
  sections.Set("photolist", "[timestr]");
  RecordingFrontEnd ui;
  std::int64_t photos = 0;
  const std::string besideLog = BuildPhotoList(trip.File("log.nmea"), sections, kWideOpen, photos, ui);
  const std::string bareLog = BuildPhotoList("log.nmea", sections, kWideOpen, photos, ui);
  std::filesystem::current_path(previous);
  EXPECT_EQ(besideLog, "2011/11/05 12:34:56\r\n");
  EXPECT_EQ(bareLog, "1999/01/01 00:00:00\r\n");  // no "/": the current folder
}

}  // namespace
}  // namespace routelet
