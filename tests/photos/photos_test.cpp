// Photos: the capture time read from a JPEG's Exif block, and the photos beside the log that
// were taken during the track.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "photos/exif_reader.h"
#include "photos/find_photos.h"
#include "photos/jpeg_builder.h"
#include "runtime/dates.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using namespace routelet::testing;

constexpr ByteOrder kLE = ByteOrder::kLittle;
constexpr ByteOrder kBE = ByteOrder::kBig;
constexpr const char* kModified = "2011:11:05 12:34:56";
constexpr const char* kCaptured = "2010:04:03 07:08:09";
constexpr const char* kBlank = "    :  :     :  :  ";
// The two dates as the reader gives them, through DateText.
constexpr const char* kModifiedText = "2011/11/05 12:34:56";
constexpr const char* kCapturedText = "2010/04/03 07:08:09";

// A date as text, empty for none.
std::string Text(DaySerial date) { return date == 0 ? std::string() : DateText(date); }

std::string Shot(ByteOrder order, std::optional<std::string_view> dateTime, std::optional<std::string_view> original) {
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
    const char* expected;  // empty: no date
  } cases[] = {
      {"DateTime only, little-endian", Shot(kLE, kModified, std::nullopt), kModifiedText},
      {"DateTime only, big-endian", Shot(kBE, kModified, std::nullopt), kModifiedText},
      {"original wins, big-endian", Shot(kBE, kModified, kCaptured), kCapturedText},
      {"original only", Shot(kBE, std::nullopt, kCaptured), kCapturedText},
      {"an unusable original falls back", Shot(kLE, kModified, kBlank), kModifiedText},
      {"no date tags", Shot(kLE, std::nullopt, std::nullopt), ""},
      {"APP0 and an XMP APP1 first", Jpeg({JfifSegment(), XmpSegment(), exif}), kCapturedText},
      {"a fill byte before the marker", Jpeg({"\xFF" + exif}), kCapturedText},
      {"the first two bytes untested", "AB" + exif + ImageData(), kCapturedText},
      // The file is read through a window of 4096 bytes from the offset of the first read (2).
      {"large segments before the Exif block", Jpeg({JfifSegment(), Segment(0xE2, std::string(30000, 'i')),
                                                      Segment(0xED, std::string(9000, 'p')), exif}), kCapturedText},
      {"a marker across the window's end", Jpeg({JfifSegment(), Segment(0xE2, std::string(4073, 'i')), exif}),
       kCapturedText},
      {"IFD0 where the header says", Jpeg({ExifSegment(movedIfd0)}), kModifiedText},
      {"the first DateTime counts", Jpeg({ExifSegment(twoDateTimes)}), kModifiedText},
      {"the later Exif pointer wins", Jpeg({ExifSegment(twoPointers)}), kCapturedText},
      {"Exif after start-of-scan", soi + ImageData().substr(0, 10) + exif, ""},
      {"Exif after end-of-image", soi + "\xFF\xD9" + exif, ""},
      {"no marker before Exif", soi + "xx" + exif, ""},
      {"segment length below two", soi + std::string("\xFF\xE0\x00\x01", 4) + exif, ""},
      {"segment length past the end", soi + "\xFF\xE0\xFF\xF0" + exif, ""},
      {"APP1 without the Exif identifier", soi + Segment(0xE1, "Exof" + exif.substr(8)), ""},
      {"IFD0 offset past the end", Patched(kLE, 4, 0x00100000, true), ""},
      {"IFD0 offset before the start", Patched(kBE, 4, 0xFFFFFF00, true), ""},
      {"IFD0 offset overflows", Patched(kLE, 4, 0x7FFFFFFF, true), ""},
      {"IFD0 count with the top bit set", Patched(kBE, 8, 0x8001, false), ""},
      // Entries are walked up to the end of the file; the real ones come first.
      {"IFD0 count past the end", Patched(kLE, 8, 0x7FFF, false), kCapturedText},
      {"Exif count negative", Patched(kLE, kExifCount, 0xFFFF, false), kModifiedText},
      {"Exif pointer past the end", Patched(kBE, kPointerValue, 0x00FFFFFF, true), kModifiedText},
      {"original offset past the end", Patched(kBE, kOriginalValue, 0x00FFFFFF, true), kModifiedText},
      {"original offset overflows", Patched(kLE, kOriginalValue, 0x7FFFFFF0, true), kModifiedText},
      {"date text cut by the end of the file", soi + ExifSegment(dateCutByEnd), ""},
      {"date offset before the start", Jpeg({ExifSegment(dateBeforeStart)}), ""},
      {"only start-of-image", soi, ""},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Text(ReadExifDateFromBytes(c.bytes)), c.expected);
    EXPECT_EQ(Text(ReadExifDate(dir.Write("photo.jpg", c.bytes))), c.expected);
  }
}

// Texts padded with blanks to the 19 bytes that are read, in either byte order.
TEST(ExifDate, DateTexts) {
  const std::pair<std::string, const char*> cases[] = {
      {"2011:11:05 12:34:56", kModifiedText},        {"2011-11-05 12:34:56", kModifiedText},
      {"2011.11.05 12:34:56", kModifiedText},        {"2011:11:05", "2011/11/05 00:00:00"},
      {"   2011:11:05", "2011/11/05 00:00:00"},      {"2012:02:29 23:59:59", "2012/02/29 23:59:59"},
      {"2011:11:05 12:34", ""},                      {kBlank, ""},
      {"0000:00:00 00:00:00", ""},                   {"2011:02:29 12:00:00", ""},
      {"2011:13:05 12:00:00", ""},                   {"2011:11:00 12:00:00", ""},
      {"2011:11:05 24:00:00", ""},                   {"2011:11:05 12:60:00", ""},
      {std::string("2011:11:05 12:34:5\0", 19), ""}, {"not a date at all!!", ""},
  };
  for (const auto& [text, expected] : cases) {
    std::string padded = text;
    padded.resize(19, ' ');
    for (ByteOrder order : {kLE, kBE}) EXPECT_EQ(Text(ReadExifDateFromBytes(Shot(order, padded, std::nullopt))), expected) << text;
  }
}

// Every prefix of a photo is a truncated file: none may read outside it or invent a date.
TEST(ExifDate, TruncatedFilesGiveTheDateOrNothing) {
  for (ByteOrder order : {kLE, kBE}) {
    const std::string photo = Jpeg({JfifSegment(), XmpSegment(), ExifSegment(CameraTiff(order, kModified, kCaptured))});
    for (std::size_t length = 0; length < photo.size(); ++length) {
      const std::string date = Text(ReadExifDateFromBytes(std::string_view(photo).substr(0, length)));
      EXPECT_TRUE(date.empty() || date == kCapturedText || date == kModifiedText) << length;
    }
  }
}

TEST(ExifDate, FilesThatAreNotPhotosGiveNothing) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder.jpg"));
  ASSERT_EQ(::mkfifo(dir.File("pipe.jpg").c_str(), 0600), 0);  // must neither block nor be read
  for (const char* name : {"missing.jpg", "folder.jpg", "pipe.jpg"}) EXPECT_EQ(ReadExifDate(dir.File(name)), 0) << name;
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing.jpg")));
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
  const std::filesystem::path folder = std::filesystem::path(ROUTELET_TEST_DATA_DIR) / "photos";
  for (const auto& [file, date] : goldens) EXPECT_EQ(Text(ReadExifDate((folder / file).string())), date) << file;
}

// A photo whose capture time is `exifDate` and whose IFD0 DateTime is a later edit.
std::string PhotoTakenAt(std::string_view exifDate) {
  return Jpeg({JfifSegment(), ExifSegment(CameraTiff(kBE, "2020:01:01 00:00:00", exifDate))});
}

// A camera set to Japan time is 9 hours ahead of the track: 2011-11-05 12:34:56 on it is Unix
// 1320464096, 13:00:00 is 1320465600. Both ends of the span belong to it. Files that are not
// JPEG photos by name, or not files, are never read; those without a date are read and dropped.
TEST(FindPhotos, TakesThePhotosOfTheSpanInNameOrder) {
  TempDir dir;
  dir.Write("1.jpg", PhotoTakenAt("2011:11:05 12:34:55"));
  dir.Write("b.JPG", PhotoTakenAt("2011:11:05 12:50:00"));
  dir.Write("a.jpg", PhotoTakenAt(kModified));
  dir.Write("A.jpg", PhotoTakenAt(kModified));  // names equal but for case: by the exact name
  dir.Write("C.jpeg", PhotoTakenAt("2011:11:05 13:00:00"));
  dir.Write("d.jpg", "not a photo");
  dir.Write("f.jpg", PhotoTakenAt("2011:11:05 13:00:01"));
  dir.Write("e.png", PhotoTakenAt("2011:11:05 12:50:00"));
  std::filesystem::create_directory(dir.File("g.jpg"));
  RecordingProgress progress;
  std::vector<std::string> found;
  for (const Photo& p : FindPhotos(dir.path().string(), TimeSpan{1320464096, 1320465600}, progress)) {
    found.push_back(p.Name + " " + Text(p.CameraTime) + " " + std::to_string(p.UnixTime));
  }
  EXPECT_EQ(found, (std::vector<std::string>{"A.jpg 2011/11/05 12:34:56 1320464096",
                                             "a.jpg 2011/11/05 12:34:56 1320464096",
                                             "b.JPG 2011/11/05 12:50:00 1320465000",
                                             "C.jpeg 2011/11/05 13:00:00 1320465600"}));
  EXPECT_EQ(progress.events, (std::vector<std::string>{"photo 1.jpg", "photo A.jpg", "photo a.jpg", "photo b.JPG", "photo C.jpeg",
                                                       "photo d.jpg", "photo f.jpg"}));
  NoProgress quiet;
  EXPECT_TRUE(FindPhotos(dir.path().string(), TimeSpan{}, quiet).empty());  // an empty span
}

}  // namespace
}  // namespace routelet
