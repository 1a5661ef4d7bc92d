// Photos: the capture time and its offset read from a JPEG's Exif block, the camera's clock, and
// the photos taken during the track.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "photos/camera_clock.h"
#include "photos/exif_reader.h"
#include "photos/find_photos.h"
#include "photos/heif_photo.h"
#include "photos/jpeg_builder.h"
#include "photos/photo_formats.h"
#include "runtime/dates.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using namespace routelet::testing;
namespace fs = std::filesystem;

const fs::path kSamples = fs::path(ROUTELET_TEST_DATA_DIR) / "photos";

#if ROUTELET_PHOTO_FORMATS_MODULE
// The HEIF reader and the tag writer (geotag_test.cpp too) come from the module the build put
// beside the program, not beside this test program.
const bool kModuleFromBuildFolder = (SetPhotoFormatsFolder(ROUTELET_BUILD_DIR), true);
#endif

// A date as text, "-" for none.
std::string Text(DaySerial date) { return date == 0 ? "-" : DateText(date); }

// The real photos and the samples made for one layout, hostile field, date text or offset each
// (photos/expected.tsv: file, date, offset in minutes, what it holds), read from the file and from
// memory alike. No read may reach outside the bytes, whatever their offsets and counts say.
TEST(ExifDate, SamplesGiveTheirExpectedCaptureTime) {
  const auto rows = ReadRows(kSamples / "expected.tsv");
  EXPECT_GE(rows.size(), 70u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.at(0) + ": " + row.at(3));
    const std::string bytes = ReadAll(kSamples / row[0]);
    ASSERT_FALSE(bytes.empty());
    MemoryByteSource memory(bytes);
    for (const CaptureTime& read : {ReadCaptureTime((kSamples / row[0]).string()), ReadCaptureTime(memory)}) {
      EXPECT_EQ(Text(read.Camera) + " " + (read.OffsetMinutes ? std::to_string(*read.OffsetMinutes) : "-"), row[1] + " " + row[2]);
    }
  }
}

// Every prefix of a photo is a truncated file: none may read outside it or invent a date.
TEST(ExifDate, TruncatedFilesGiveTheDateOrNothing) {
  for (const char* name : {"exif/jfif-and-xmp-first-le.jpg", "exif/jfif-and-xmp-first-be.jpg"}) {
    const std::string photo = ReadAll(kSamples / name);
    ASSERT_FALSE(photo.empty());
    for (std::size_t length = 0; length < photo.size(); ++length) {
      const std::string date = Text(ReadExifDateFromBytes(std::string_view(photo).substr(0, length)));
      EXPECT_TRUE(date == "-" || date == "2010/04/03 07:08:09" || date == "2011/11/05 12:34:56") << length;
    }
  }
}

#ifndef _WIN32  // Windows has no FIFOs in its file system
TEST(ExifDate, FilesThatAreNotPhotosGiveNothing) {
  TempDir dir;
  fs::create_directory(dir.File("folder.jpg"));
  ASSERT_EQ(::mkfifo(dir.File("pipe.jpg").c_str(), 0600), 0);  // must neither block nor be read
  for (const char* name : {"missing.jpg", "folder.jpg", "pipe.jpg"}) EXPECT_EQ(ReadExifDate(dir.File(name)), 0) << name;
  EXPECT_FALSE(fs::exists(dir.File("missing.jpg")));
}
#endif

#ifndef _WIN32  // TZ sets the local zone on POSIX only; the end-to-end cases give the zones on Windows
// Camera times in UTC (the plain cases run end to end). 2011-11-05 12:34:56 on a Japan-time clock
// is Unix 1320464096. In Rome summer time ends on 2021-10-31 at 03:00 (02:00-03:00 comes twice)
// and begins on 2021-03-28 at 02:00 (02:00-03:00 never comes).
TEST(CameraClock, OwnOffsetThenZoneThenShift) {
  const auto at = [](const char* text) { return *ParseDateText(text); };
  const DaySerial modified = at("2011/11/05 12:34:56");
  const CameraZone japan, rome{0, "Europe/Rome"};
  const std::tuple<CameraZone, std::int64_t, DaySerial, std::optional<std::int32_t>, std::int64_t> cases[] = {
      {{0, ""}, 0, modified, std::nullopt, 1320496496},     {{-300, ""}, 0, modified, std::nullopt, 1320514496},
      {japan, 3723, modified, -60, 1320503819},             {rome, 0, modified, 540, 1320464096},
      {rome, 0, at("2021/07/01 12:00:00"), std::nullopt, 1625133600},    // summer, +02:00
      {rome, 0, at("2021/10/31 02:30:00"), std::nullopt, 1635640200},    // twice: the first, +02:00
      {rome, 0, at("2021/03/28 02:30:00"), std::nullopt, 1616895000},    // never: +01:00 as before
      {rome, 7200, at("2021/03/28 01:30:00"), std::nullopt, 1616895000},  // shifted into summer, +02:00
  };
  setenv("TZ", "Asia/Tokyo", 1);
  for (const auto& [zone, shift, camera, own, unixTime] : cases) {
    EXPECT_EQ(CameraClock(zone, shift).InstantOf({camera, own}), unixTime) << DateText(camera);
  }
  EXPECT_STREQ(getenv("TZ"), "Asia/Tokyo");  // put back when a named zone's clock ends
  unsetenv("TZ");
}
#endif

TEST(CameraClock, ZonesAndShiftsAsTheUserWritesThem) {
  const std::pair<const char*, const char*> zones[] = {  // "minutes name", empty when refused
      {"+02:00", "120 "}, {"-05:30", "-330 "}, {"UTC", "0 "}, {"Asia/Tokyo", "0 Asia/Tokyo"}, {"utc", ""}, {"+2", ""},
      {"Mars/Base", ""}, {"../../etc/passwd", ""}, {"/usr/share/zoneinfo/UTC", ""}, {"Europe", ""}, {"", ""},
  };
  for (const auto& [text, expected] : zones) {
    const std::optional<CameraZone> zone = ParseCameraZone(text);
    EXPECT_EQ(zone ? std::to_string(zone->OffsetMinutes) + " " + zone->Name : "", expected) << text;
  }
  const std::pair<const char*, std::optional<std::int64_t>> shifts[] = {
      {"180", 180}, {"-180", -180}, {"+42", 42}, {"0:03:00", 180}, {"-1:02:03", -3723}, {"-00:00:01", -1},
      {"87840:00:00", 87840 * 3600}, {"87840:00:01", std::nullopt}, {"1:60:00", std::nullopt},
      {"3:00", std::nullopt}, {"1e3", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt}, {"1 ", std::nullopt},
  };
  for (const auto& [text, seconds] : shifts) EXPECT_EQ(ParseClockShift(text), seconds) << text;
}

#ifndef _WIN32  // the tests that list photos make files whose names or links Windows does not take
// Each listed photo as "name camera-time unix-time".
std::vector<std::string> Listing(const PhotoFindings& findings) {
  std::vector<std::string> lines;
  for (const Photo& p : findings.Listed) lines.push_back(p.Name + " " + Text(p.CameraTime) + " " + std::to_string(p.UnixTime));
  return lines;
}

// A photo whose capture time is `exifDate` and whose IFD0 DateTime is a later edit.
std::string PhotoTakenAt(std::string_view exifDate) {
  return Jpeg({JfifSegment(), ExifSegment(CameraTiff(ByteOrder::kBig, "2020:01:01 00:00:00", exifDate))});
}

#endif

#ifndef _WIN32  // names equal but for letter case are one name on Windows
// A camera set to Japan time is 9 hours ahead of the track: 2011-11-05 12:34:56 on it is Unix
// 1320464096, 13:00:00 is 1320465600. Both ends of the span belong to it. Files that are not
// JPEG photos by name, or not files, are never read; those without a date are read and dropped.
TEST(FindPhotos, TakesThePhotosOfTheSpanInNameOrder) {
  TempDir dir;
  dir.Write("1.jpg", PhotoTakenAt("2011:11:05 12:34:55"));
  dir.Write("b.JPG", PhotoTakenAt("2011:11:05 12:50:00"));
  dir.Write("a.jpg", PhotoTakenAt("2011:11:05 12:34:56"));
  dir.Write("A.jpg", PhotoTakenAt("2011:11:05 12:34:56"));  // names equal but for case: by the exact name
  dir.Write("C.jpeg", PhotoTakenAt("2011:11:05 13:00:00"));
  dir.Write("d.jpg", "not a photo");
  dir.Write("f.jpg", PhotoTakenAt("2011:11:05 13:00:01"));
  dir.Write("e.png", PhotoTakenAt("2011:11:05 12:50:00"));
  fs::create_directory(dir.File("g.jpg"));
  RecordingProgress progress;
  const PhotoFindings findings = FindPhotos({}, dir.path().string(), TimeSpan{1320464096, 1320465600}, progress);
  EXPECT_EQ(Listing(findings), (std::vector<std::string>{"A.jpg 2011/11/05 12:34:56 1320464096",
                                                         "a.jpg 2011/11/05 12:34:56 1320464096",
                                                         "b.JPG 2011/11/05 12:50:00 1320465000",
                                                         "C.jpeg 2011/11/05 13:00:00 1320465600"}));
  EXPECT_EQ(std::tie(findings.Found, findings.OutsideTrack, findings.NoCaptureTime), std::tuple(7, 2, 1));
  EXPECT_EQ(progress.events, (std::vector<std::string>{"photo 1.jpg", "photo A.jpg", "photo a.jpg", "photo b.JPG",
                                                       "photo C.jpeg", "photo d.jpg", "photo f.jpg"}));
  EXPECT_TRUE(FindPhotos({}, dir.path().string(), TimeSpan{}, progress).Listed.empty());  // an empty span
}
#endif

#ifndef _WIN32  // a folder symlink loop: Windows makes such links for administrators only
// Named folders that overlap, the page's own among them: each file once, by its path from the
// page's folder, in time order and then by path. Folders outside the page's run end to end. A link
// to a folder, here to one that holds it, is not followed.
TEST(FindPhotos, NamedFoldersOverlappingGiveEachFileOnceInTimeOrder) {
  TempDir dir;
  fs::create_directories(dir.path() / "trip/sub");
  fs::create_directory_symlink(dir.path(), dir.path() / "trip/sub/loop");
  dir.Write("trip/b.jpg", PhotoTakenAt("2011:11:05 12:40:00"));
  dir.Write("trip/sub/a.jpg", PhotoTakenAt("2011:11:05 12:50:00"));
  dir.Write("trip/sub/c.jpg", PhotoTakenAt("2011:11:05 12:40:00"));
  PhotoOptions options;
  options.Folders = {dir.File("trip/sub"), dir.File("trip")};
  NoProgress quiet;
  const PhotoFindings findings = FindPhotos(options, dir.File("trip"), TimeSpan{1320464096, 1320465600}, quiet);
  EXPECT_EQ(Listing(findings), (std::vector<std::string>{"b.jpg 2011/11/05 12:40:00 1320464400",
                                                         "sub/c.jpg 2011/11/05 12:40:00 1320464400",
                                                         "sub/a.jpg 2011/11/05 12:50:00 1320465000"}));
  EXPECT_EQ(findings.Found, 3);
}
#endif

}  // namespace
}  // namespace routelet

namespace routelet {
namespace {

// The GPS position read from a photo's own tags, in both byte orders, as "lat lng alt" ("-" for
// none): each row spoils one thing a camera or editor may get wrong.
TEST(ExifGps, PositionOrNothingFromTheGpsDirectory) {
  using Spoil = void (*)(TiffBlock&);
  const std::vector<std::tuple<const char*, Spoil, std::string>> rows = {
      {"whole", [](TiffBlock&) {}, "-33.5 -70.25 -12.5"},
      {"zero denominator", [](TiffBlock& t) { Rationals(t, 530, {{70, 0}}); }, "-"},
      {"minutes of 60", [](TiffBlock& t) { Rationals(t, 508, {{60, 1}}); }, "-"},
      {"hemisphere letter X", [](TiffBlock& t) { t.Bytes(kGpsDirectoryAt + 2 + 8, "X"); }, "-"},
      {"latitude as 2 rationals", [](TiffBlock& t) { t.U32(kGpsDirectoryAt + 2 + 12 + 4, 2); }, "-"},
      {"latitude far outside the file", [](TiffBlock& t) { t.U32(kGpsDirectoryAt + 2 + 12 + 8, 0x7FFFFF00); }, "-"},
      {"altitude with a zero denominator", [](TiffBlock& t) { Rationals(t, 560, {{1250, 0}}); }, "-33.5 -70.25 -"},
      {"altitude reference 7", [](TiffBlock& t) { t.Bytes(kGpsDirectoryAt + 2 + 48 + 8, "\x07"); }, "-33.5 -70.25 -"},
      {"void fix", [](TiffBlock& t) { GpsDirectory(t, {{1, 2, 2, "S"}, {2, 5, 3, "", 500}, {3, 2, 2, "W"}, {4, 5, 3, "", 530}, {9, 2, 2, "V"}}); }, "-"},
      {"no altitude, longitude first", [](TiffBlock& t) { GpsDirectory(t, {{3, 2, 2, "W"}, {4, 5, 3, "", 530}, {1, 2, 2, "S"}, {2, 5, 3, "", 500}}); }, "-33.5 -70.25 -"},
  };
  for (const ByteOrder order : {ByteOrder::kLittle, ByteOrder::kBig}) {
    for (const auto& [what, spoil, expected] : rows) {
      SCOPED_TRACE(std::string(what) + (order == ByteOrder::kBig ? " (big-endian)" : ""));
      TiffBlock tiff = CameraTiff(order, std::nullopt, "2010:04:03 07:08:09", std::nullopt, std::nullopt, true);
      CameraGps(tiff, -33.5, -70.25, -12.5);
      spoil(tiff);
      const std::string photo = Jpeg({ExifSegment(tiff)});
      MemoryByteSource source(photo);
      const PhotoTags tags = ReadPhotoTags(source);
      EXPECT_EQ(DateText(tags.Capture.Camera), "2010/04/03 07:08:09");
      std::string read = "-";
      if (tags.Gps) {
        char text[96];
        std::snprintf(text, sizeof text, "%g %g ", tags.Gps->Lat, tags.Gps->Lng);
        read = text + (tags.Gps->Alt ? std::to_string(*tags.Gps->Alt).substr(0, 5) : "-");
      }
      EXPECT_EQ(read, expected);
    }
  }
}

}  // namespace
}  // namespace routelet

namespace routelet {
namespace {

// A HEIF photo's Exif item gives its time, offset and position; one without the item gives no
// date; no prefix of a photo (a file cut short) may crash the reader or invent a date, and the
// whole photo gives a JPEG preview.
TEST(HeifPhoto, ExifItemPreviewAndCutFiles) {
  if (!HeifPhotosSupported()) GTEST_SKIP() << "this build reads no HEIF photos";
  const std::optional<PhotoTags> tags = ReadHeifTags((kSamples / "heif/phone.heic").string());
  ASSERT_TRUE(tags && tags->Gps && tags->Gps->Alt);
  EXPECT_EQ(DateText(tags->Capture.Camera), "2011/01/01 00:01:30");
  EXPECT_EQ(tags->Capture.OffsetMinutes, 9 * 60);
  EXPECT_EQ(std::make_tuple(tags->Gps->Lat, tags->Gps->Lng, *tags->Gps->Alt), std::make_tuple(35.5, 139.25, 12.5));
  EXPECT_EQ(ReadHeifTags((kSamples / "heif/no-exif.heic").string())->Capture.Camera, 0);
  EXPECT_TRUE(HeifPreviewUri((kSamples / "heif/phone.heic").string(), 800).starts_with("data:image/jpeg;base64,/9j/"));
  // A damaged file whose overlay claims a canvas of gigabytes: no preview, and nothing of that size
  // allocated (the fuzzer found it; it takes the seeds from this folder).
  EXPECT_EQ(HeifPreviewUri((kSamples / "heif/huge-overlay-canvas.heif").string(), 800), "");
  const std::string photo = ReadAll(kSamples / "heif/phone.heic");
  for (std::size_t length = 0; length < photo.size(); ++length) {
    const std::optional<PhotoTags> cut = ReadHeifTagsFromBytes(std::string_view(photo).substr(0, length));
    EXPECT_TRUE(!cut || cut->Capture.Camera == 0 || cut->Capture.Camera == tags->Capture.Camera) << length;
  }
  for (const char* name : {"x.HEIC", "x.heif", "x.Hif"}) EXPECT_TRUE(IsHeifName(name)) << name;
  EXPECT_FALSE(IsHeifName("heic.jpg"));
}

}  // namespace
}  // namespace routelet
