// Photos: the capture time read from a JPEG's Exif block, and the photos beside the log that
// were taken during the track.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "photos/camera_clock.h"
#include "photos/exif_reader.h"
#include "photos/find_photos.h"
#include "photos/jpeg_builder.h"
#include "runtime/dates.h"
#include "runtime/numbers.h"
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

// The offset read is the one that belongs to the date used; a malformed one is no offset.
TEST(ExifDate, OffsetOfTheDateUsed) {
  using Off = std::optional<std::string_view>;
  const Off none;
  const struct {
    std::optional<std::string_view> dateTime, original;
    Off offsetTime, offsetOriginal;
    std::optional<std::int32_t> minutes;
  } cases[] = {
      {kModified, kCaptured, "-05:30", "+02:00", 120},  {kModified, kCaptured, "-05:30", none, std::nullopt},
      {kModified, std::nullopt, "-05:30", "+02:00", -330}, {kModified, std::nullopt, none, "+02:00", std::nullopt},
      {kModified, kBlank, "+14:00", "+02:00", 14 * 60},  {std::nullopt, kCaptured, none, "-00:00", 0},
      {std::nullopt, kCaptured, none, "+09:00", 540},    {std::nullopt, kCaptured, none, "+2:00", std::nullopt},
      {std::nullopt, kCaptured, none, "      ", std::nullopt}, {std::nullopt, kCaptured, none, "+14:01", std::nullopt},
      {std::nullopt, kCaptured, none, "+09:60", std::nullopt}, {std::nullopt, kCaptured, none, "09:00", std::nullopt},
      {std::nullopt, kCaptured, none, "+09.00", std::nullopt}, {std::nullopt, kCaptured, none, "+0a:00", std::nullopt},
  };
  for (const auto& c : cases) {
    for (ByteOrder order : {kLE, kBE}) {
      const std::string bytes = Jpeg({ExifSegment(CameraTiff(order, c.dateTime, c.original, c.offsetTime, c.offsetOriginal))});
      MemoryByteSource photo(bytes);
      EXPECT_EQ(ReadCaptureTime(photo).OffsetMinutes, c.minutes) << c.offsetOriginal.value_or("-");
    }
  }
  // An offset whose text would lie past the end of the file is none.
  TiffBlock cut = CameraTiff(kLE, std::nullopt, kCaptured, std::nullopt, "+02:00");
  const std::string bytes = Jpeg({ExifSegment(cut.U32(100 + 2 + 2 * 12 + 8, 0x00FFFFFF))});
  MemoryByteSource photo(bytes);
  EXPECT_EQ(Text(ReadCaptureTime(photo).Camera), kCapturedText);
  EXPECT_EQ(ReadCaptureTime(photo).OffsetMinutes, std::nullopt);
}

// Camera times turned into UTC. 2011-11-05 12:34:56 on a Japan-time clock is Unix 1320464096.
// In Rome summer time ends on 2021-10-31 at 03:00 (02:00-03:00 comes twice) and begins on
// 2021-03-28 at 02:00 (02:00-03:00 never comes).
TEST(CameraClock, OwnOffsetThenZoneThenShift) {
  const DaySerial modified = *ParseDateText("2011/11/05 12:34:56");
  const auto at = [](const char* text) { return *ParseDateText(text); };
  const CameraZone japan, utc{0, ""}, rome{0, "Europe/Rome"};
  const struct {
    CameraZone zone;
    std::int64_t shift;
    DaySerial camera;
    std::optional<std::int32_t> own;
    std::int64_t unixTime;
  } cases[] = {
      {japan, 0, modified, std::nullopt, 1320464096},  {japan, 0, modified, 540, 1320464096},
      {japan, 0, modified, 120, 1320489296},           {utc, 0, modified, std::nullopt, 1320496496},
      {{-300, ""}, 0, modified, std::nullopt, 1320514496}, {japan, -180, modified, std::nullopt, 1320463916},
      {japan, 3723, modified, -60, 1320503819},        {rome, 0, modified, 540, 1320464096},
      {rome, 0, at("2021/07/01 12:00:00"), std::nullopt, 1625133600},  // summer, +02:00
      {rome, 0, at("2021/01/15 12:00:00"), std::nullopt, 1610708400},  // winter, +01:00
      {rome, 0, at("2021/10/31 02:30:00"), std::nullopt, 1635640200},  // twice: the first, +02:00
      {rome, 0, at("2021/03/28 02:30:00"), std::nullopt, 1616895000},  // never: +01:00 as before
      {rome, 3600, at("2021/03/28 01:30:00"), std::nullopt, 1616895000},  // shifted into the gap
  };
  setenv("TZ", "Asia/Tokyo", 1);
  for (const auto& c : cases) {
    EXPECT_EQ(CameraClock(c.zone, c.shift).InstantOf({c.camera, c.own}), c.unixTime) << DateText(c.camera);
    EXPECT_STREQ(getenv("TZ"), "Asia/Tokyo");  // put back when the clock ends
  }
  unsetenv("TZ");
  // The Japan-time default works out every camera time to the second as the fixed 9 hours did.
  const CameraClock clock(japan, 0);
  for (DaySerial d = 25569; d < 25569 + 20000; d += 0.7318) {
    EXPECT_EQ(clock.InstantOf({d, std::nullopt}), ToInt64(((d - kUnixEpochSerial) * 24 - 9) * 60 * 60)) << d;
  }
}

TEST(CameraClock, ZonesAndShiftsAsTheUserWritesThem) {
  const std::pair<const char*, std::optional<std::int32_t>> zones[] = {
      {"+02:00", 120}, {"-05:30", -330}, {"UTC", 0}, {"Asia/Tokyo", 0}, {"utc", std::nullopt},
      {"+2", std::nullopt}, {"Mars/Base", std::nullopt}, {"../../etc/passwd", std::nullopt},
      {"/usr/share/zoneinfo/UTC", std::nullopt}, {"Europe", std::nullopt}, {"", std::nullopt},
  };
  for (const auto& [text, minutes] : zones) {
    const std::optional<CameraZone> zone = ParseCameraZone(text);
    EXPECT_EQ(zone ? std::optional(zone->OffsetMinutes) : std::nullopt, minutes) << text;
    if (zone) {
      EXPECT_EQ(zone->Name, std::string(text).find('/') == std::string::npos ? "" : text);
    }
  }
  const std::pair<const char*, std::optional<std::int64_t>> shifts[] = {
      {"180", 180}, {"-180", -180}, {"+42", 42}, {"0:03:00", 180}, {"-1:02:03", -3723}, {"-00:00:01", -1},
      {"87840:00:00", 87840 * 3600}, {"87840:00:01", std::nullopt}, {"1:60:00", std::nullopt},
      {"3:00", std::nullopt}, {"1e3", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt}, {"1 ", std::nullopt},
  };
  for (const auto& [text, seconds] : shifts) EXPECT_EQ(ParseClockShift(text), seconds) << text;
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

// Each listed photo as "name camera-time unix-time".
std::vector<std::string> Listing(const PhotoFindings& findings) {
  std::vector<std::string> lines;
  for (const Photo& p : findings.Listed) lines.push_back(p.Name + " " + Text(p.CameraTime) + " " + std::to_string(p.UnixTime));
  return lines;
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
  const PhotoFindings findings = FindPhotos({}, dir.path().string(), TimeSpan{1320464096, 1320465600}, progress);
  EXPECT_EQ(Listing(findings), (std::vector<std::string>{"A.jpg 2011/11/05 12:34:56 1320464096",
                                                         "a.jpg 2011/11/05 12:34:56 1320464096",
                                                         "b.JPG 2011/11/05 12:50:00 1320465000",
                                                         "C.jpeg 2011/11/05 13:00:00 1320465600"}));
  EXPECT_EQ(std::tie(findings.Found, findings.OutsideTrack, findings.NoCaptureTime), std::tuple(7, 2, 1));
  EXPECT_EQ(progress.events, (std::vector<std::string>{"photo 1.jpg", "photo A.jpg", "photo a.jpg", "photo b.JPG", "photo C.jpeg",
                                                       "photo d.jpg", "photo f.jpg"}));
  NoProgress quiet;
  EXPECT_TRUE(FindPhotos({}, dir.path().string(), TimeSpan{}, quiet).Listed.empty());  // an empty span
}

// Named folders are searched with their subfolders, each file once however the folders
// overlap, the page's own folder only when named; the photos come in time order, then by path,
// each named by a path that leads from the page's folder to the file.
TEST(FindPhotos, NamedFoldersAreSearchedDownAndListedInTimeOrder) {
  TempDir dir;
  for (const char* folder : {"trip", "photos/DCIM/100TEST", "photos/DCIM/101TEST", "my photos"}) {
    std::filesystem::create_directories(dir.path() / folder);
  }
  dir.Write("trip/beside.jpg", PhotoTakenAt("2011:11:05 12:40:00"));
  dir.Write("photos/DCIM/101TEST/IMG_0001.JPG", PhotoTakenAt("2011:11:05 12:50:00"));
  dir.Write("photos/DCIM/100TEST/IMG_0009.JPG", PhotoTakenAt("2011:11:05 12:50:00"));
  dir.Write("photos/DCIM/100TEST/late.jpg", PhotoTakenAt("2011:11:05 14:00:00"));
  dir.Write("my photos/a.jpg", PhotoTakenAt("2011:11:05 12:35:00"));
  const std::string page = dir.File("trip");
  PhotoOptions options;
  options.Folders = {dir.File("photos"), "my photos", dir.File("photos/DCIM")};
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());  // "my photos" is relative to the current folder
  NoProgress quiet;
  const PhotoFindings findings = FindPhotos(options, page, TimeSpan{1320464096, 1320465600}, quiet);
  std::filesystem::current_path(previous);
  EXPECT_EQ(Listing(findings), (std::vector<std::string>{"../my photos/a.jpg 2011/11/05 12:35:00 1320464100",
                                                         "../photos/DCIM/100TEST/IMG_0009.JPG 2011/11/05 12:50:00 1320465000",
                                                         "../photos/DCIM/101TEST/IMG_0001.JPG 2011/11/05 12:50:00 1320465000"}));
  EXPECT_EQ(std::tie(findings.Found, findings.OutsideTrack), std::tuple(4, 1));
  for (const Photo& photo : findings.Listed) EXPECT_TRUE(std::filesystem::is_regular_file(page + "/" + photo.Name));
  // The zone and shift reach the clock: UTC, put right for a camera 9 hours and 10 seconds fast.
  options = {{page}, {0, ""}, -(9 * 3600 + 10)};
  EXPECT_EQ(Listing(FindPhotos(options, page, TimeSpan{1320464390, 1320464390}, quiet)),
            (std::vector<std::string>{"beside.jpg 2011/11/05 12:40:00 1320464390"}));
}

}  // namespace
}  // namespace routelet
