#include "photos/exif_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "photos/jpeg_builder.h"
#include "runtime/dates.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using testing::ByteOrder;
using testing::CameraTiff;
using testing::ExifSegment;
using testing::IfdEntry;
using testing::Jpeg;
using testing::JfifSegment;
using testing::Segment;
using testing::TiffBlock;
using testing::kDateTime;
using testing::kDateTimeOriginal;
using testing::kExifPointer;

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

TEST(SwapInt, ExchangesBytesOnlyWhenTheFlagIsSet) {
  struct Row { std::int16_t value, flag, expected; };
  for (const Row& row : std::vector<Row>{{0x1234, 0, 0x1234}, {0x1234, -1, 0x3412},
                                         {0x1234, 1, 0x3412}, {0x0180, -1, -32767},
                                         {-1, -1, -1}, {0x00FF, -1, -256}}) {
    EXPECT_EQ(SwapInt16(row.value, row.flag), row.expected) << row.value;
  }
  struct Row32 { std::int32_t value; std::int16_t flag; std::int32_t expected; };
  for (const Row32& row : std::vector<Row32>{{0x12345678, 0, 0x12345678},
                                             {0x12345678, -1, 0x78563412},
                                             {0x000000FF, 2, -16777216},
                                             {INT32_MIN, -1, 0x00000080},
                                             {-2, -1, -16777217}}) {
    EXPECT_EQ(SwapInt32(row.value, row.flag), row.expected) << row.value;
  }
}

TEST(ExifDate, SerialOfAKnownInstant) {
  const std::string photo = Jpeg({ExifSegment(CameraTiff(kLE, kModified, std::nullopt))});
  EXPECT_DOUBLE_EQ(ReadExifDateFromBytes(photo), 40852 + 45296.0 / 86400);
}

struct LayoutCase {
  std::string name;
  std::string bytes;
  DaySerial expected;
};
void PrintTo(const LayoutCase& layout, std::ostream* out) { *out << layout.name; }

std::string Photo(ByteOrder order, std::optional<std::string_view> dateTime,
                  std::optional<std::string_view> original) {
  return Jpeg({ExifSegment(CameraTiff(order, dateTime, original))});
}

// The camera layout with one 16-bit or 32-bit field overwritten.
std::string PatchedPhoto(ByteOrder order, std::size_t at, std::uint32_t value, bool wide) {
  TiffBlock tiff = CameraTiff(order, kModified, kCaptured);
  wide ? tiff.U32(at, value) : tiff.U16(at, static_cast<std::uint16_t>(value));
  return Jpeg({ExifSegment(tiff)});
}

std::vector<LayoutCase> LayoutCases() {
  const std::string exif = ExifSegment(CameraTiff(kLE, kModified, kCaptured));
  const std::string soi = "\xFF\xD8";
  // IFD0 value offsets in CameraTiff: entry i's value lies at 8 + 2 + 12 * i + 8.
  // The Exif directory lies at 100, its DateTimeOriginal entry second.
  constexpr std::size_t kDateTimeValue = 30, kPointerValue = 42, kExifCount = 100;
  constexpr std::size_t kOriginalValue = 100 + 2 + 12 + 8;

  TiffBlock movedIfd0(kBE, 300);  // a decoy directory at 8 must not be read
  movedIfd0.Directory(8, {{kDateTime, 240}}).Text(240, "1999:01:01 00:00:00");
  movedIfd0.Directory(300, {{kDateTime, 220}}).Text(220, kModified);

  TiffBlock pointerFirst(kLE);
  pointerFirst.Directory(8, {{kExifPointer, 100, 4, 1}, {kDateTime, 220}}).Text(220, kModified);
  pointerFirst.Directory(100, {{kDateTimeOriginal, 240}}).Text(240, kCaptured);

  TiffBlock twoPointers(kBE);  // the later pointer wins
  twoPointers.Directory(8, {{kExifPointer, 400, 4, 1}, {kExifPointer, 100, 4, 1}});
  twoPointers.Directory(400, {{kDateTimeOriginal, 260}}).Text(260, "1999:01:01 00:00:00");
  twoPointers.Directory(100, {{kDateTimeOriginal, 240}}).Text(240, kCaptured);

  TiffBlock twoDateTimes(kLE);  // the first one counts
  twoDateTimes.Directory(8, {{kDateTime, 220}, {kDateTime, 240}}).Text(220, kModified).Text(240, kCaptured);

  TiffBlock dateCutByEnd(kLE);
  dateCutByEnd.Directory(8, {{kDateTime, 60}}).Bytes(60, "2011:11:05 12:34");

  // A date offset before the start of the file, with a valid date right after the entries.
  TiffBlock dateBeforeStart(kLE);
  dateBeforeStart.Directory(8, {{kDateTime, 0xFFFFFF00}}).Bytes(22, kModified);

  return {
      {"DateTimeOnlyLittleEndian", Photo(kLE, kModified, std::nullopt), kModifiedSerial},
      {"DateTimeOnlyBigEndian", Photo(kBE, kModified, std::nullopt), kModifiedSerial},
      {"OriginalWinsLittleEndian", Photo(kLE, kModified, kCaptured), kCapturedSerial},
      {"OriginalWinsBigEndian", Photo(kBE, kModified, kCaptured), kCapturedSerial},
      {"OriginalOnly", Photo(kBE, std::nullopt, kCaptured), kCapturedSerial},
      {"OriginalWinsWhenPointerPrecedesDateTime", Jpeg({ExifSegment(pointerFirst)}), kCapturedSerial},
      {"BlankOriginalFallsBack", Photo(kBE, kModified, kBlank), kModifiedSerial},
      {"ZeroOriginalFallsBack", Photo(kLE, kModified, kZero), kModifiedSerial},
      {"BothBlank", Photo(kLE, kBlank, kBlank), 0},
      {"BothZero", Photo(kBE, kZero, kZero), 0},
      {"NoDateTags", Photo(kLE, std::nullopt, std::nullopt), 0},
      {"App0First", Jpeg({JfifSegment(), exif}), kCapturedSerial},
      {"CommentAndIccFirst",
       Jpeg({JfifSegment(), Segment(0xFE, "made by hand"), Segment(0xE2, "ICC_PROFILE"), exif}),
       kCapturedSerial},
      {"XmpApp1First", Jpeg({JfifSegment(), testing::XmpSegment(), exif}), kCapturedSerial},
      {"FillByteBeforeMarker", Jpeg({"\xFF" + exif}), kCapturedSerial},
      {"FirstTwoBytesUntested", "AB" + exif + testing::ImageData(), kCapturedSerial},
      {"ExifAfterStartOfScan", soi + testing::ImageData().substr(0, 10) + exif, 0},
      {"ExifAfterEndOfImage", soi + "\xFF\xD9" + exif, 0},
      {"NonMarkerBeforeExif", soi + "xx" + exif, 0},
      {"SegmentLengthBelowTwo", soi + std::string("\xFF\xE0\x00\x01", 4) + exif, 0},
      {"SegmentLengthPastEnd", soi + "\xFF\xE0\xFF\xF0" + exif, 0},
      {"App1WithoutExifIdentifier", soi + Segment(0xE1, "Exof" + exif.substr(8)), 0},
      {"Ifd0NotAtEight", Jpeg({ExifSegment(movedIfd0)}), kModifiedSerial},
      {"FirstDateTimeCounts", Jpeg({ExifSegment(twoDateTimes)}), kModifiedSerial},
      {"LaterExifPointerWins", Jpeg({ExifSegment(twoPointers)}), kCapturedSerial},
      {"Ifd0OffsetPastEnd", PatchedPhoto(kLE, 4, 0x00100000, true), 0},
      {"Ifd0OffsetBeforeStart", PatchedPhoto(kBE, 4, 0xFFFFFF00, true), 0},
      {"Ifd0OffsetOverflows", PatchedPhoto(kLE, 4, 0x7FFFFFFF, true), 0},
      {"Ifd0CountZero", PatchedPhoto(kBE, 8, 0, false), 0},
      {"Ifd0Count65535", PatchedPhoto(kLE, 8, 0xFFFF, false), 0},
      {"Ifd0CountTopBitSet", PatchedPhoto(kBE, 8, 0x8001, false), 0},
      // Entries are walked up to the end of the file; the real ones come first.
      {"Ifd0CountPastEnd", PatchedPhoto(kLE, 8, 0x7FFF, false), kCapturedSerial},
      {"ExifCountNegative", PatchedPhoto(kLE, kExifCount, 0xFFFF, false), kModifiedSerial},
      {"ExifPointerPastEnd", PatchedPhoto(kBE, kPointerValue, 0x00FFFFFF, true), kModifiedSerial},
      {"ExifPointerBeforeStart", PatchedPhoto(kLE, kPointerValue, 0xFFFFFFF0, true), kModifiedSerial},
      {"DateTimeOffsetPastEnd", PatchedPhoto(kBE, kDateTimeValue, 0x00FFFFFF, true), kCapturedSerial},
      {"OriginalOffsetPastEnd", PatchedPhoto(kBE, kOriginalValue, 0x00FFFFFF, true), kModifiedSerial},
      {"OriginalOffsetOverflows", PatchedPhoto(kLE, kOriginalValue, 0x7FFFFFF0, true), kModifiedSerial},
      {"DateTextCutByEndOfFile", soi + ExifSegment(dateCutByEnd), 0},
      {"DateOffsetBeforeStart", Jpeg({ExifSegment(dateBeforeStart)}), 0},
      {"ZeroBytes", "", 0},
      {"OnlyStartOfImage", soi, 0},
  };
}

class ExifLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ExifLayout, FromMemory) {
  EXPECT_EQ(ReadExifDateFromBytes(GetParam().bytes), GetParam().expected);
}

TEST_P(ExifLayout, FromFileLikeFromMemory) {
  routelet::testing::TempDir dir;
  EXPECT_EQ(ReadExifDate(dir.Write("photo.jpg", GetParam().bytes)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ExifLayout, ::testing::ValuesIn(LayoutCases()),
                         [](const auto& info) { return info.param.name; });

// Texts padded with blanks to the 19 bytes that are read.
TEST(ExifDate, DateTexts) {
  struct Row { const char* text; std::optional<DaySerial> expected; };
  const std::vector<Row> rows = {
      {"2011:11:05 12:34:56", kModifiedSerial},
      {"2011-11-05 12:34:56", kModifiedSerial},
      {"2011.11.05 12:34:56", kModifiedSerial},
      {"2011:11:05         ", At(2011, 11, 5)},
      {"   2011:11:05      ", At(2011, 11, 5)},
      {"2012:02:29 23:59:59", At(2012, 2, 29, 23, 59, 59)},
      {"2011:11", std::nullopt},
      {"", std::nullopt},
      {kBlank, std::nullopt},
      {kZero, std::nullopt},
      {"2011:02:29 12:00:00", std::nullopt},
      {"2011:13:05 12:00:00", std::nullopt},
      {"2011:11:05 24:00:00", std::nullopt},
      {"2011:11:05 12:60:00", std::nullopt},
      {"not a date at all!!", std::nullopt},
  };
  for (const Row& row : rows) {
    std::string text = row.text;
    text.resize(19, ' ');
    for (ByteOrder order : {kLE, kBE}) {
      EXPECT_EQ(ReadExifDateFromBytes(Photo(order, text, std::nullopt)), row.expected.value_or(0))
          << '"' << row.text << '"';
    }
  }
}

// Every prefix of a photo is a truncated file: none may read outside it or invent a date.
TEST(ExifDate, TruncatedFilesGiveTheDateOrNothing) {
  for (ByteOrder order : {kLE, kBE}) {
    const std::string photo =
        Jpeg({JfifSegment(), testing::XmpSegment(), ExifSegment(CameraTiff(order, kModified, kCaptured))});
    for (std::size_t length = 0; length < photo.size(); ++length) {
      const DaySerial date = ReadExifDateFromBytes(std::string_view(photo).substr(0, length));
      EXPECT_TRUE(date == 0 || date == kCapturedSerial || date == kModifiedSerial) << length;
    }
    EXPECT_EQ(ReadExifDateFromBytes(photo), kCapturedSerial);
  }
}

TEST(ExifDate, FilesThatAreNotPhotos) {
  routelet::testing::TempDir dir;
  EXPECT_EQ(ReadExifDate(dir.File("missing.jpg")), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing.jpg")));
  EXPECT_EQ(ReadExifDate(dir.Write("empty.jpg", "")), 0);
  std::filesystem::create_directory(dir.File("folder.jpg"));
  EXPECT_EQ(ReadExifDate(dir.File("folder.jpg")), 0);
  // A named pipe must neither block the open nor be read.
  ASSERT_EQ(::mkfifo(dir.File("pipe.jpg").c_str(), 0600), 0);
  EXPECT_EQ(ReadExifDate(dir.File("pipe.jpg")), 0);
}

// Segments before the Exif block that are larger than the reader's window.
TEST(ExifDate, ExifFarIntoTheFile) {
  const std::string photo = Jpeg({JfifSegment(), Segment(0xE2, std::string(30000, 'i')),
                                  Segment(0xED, std::string(9000, 'p')),
                                  ExifSegment(CameraTiff(kBE, kModified, kCaptured))});
  routelet::testing::TempDir dir;
  EXPECT_EQ(ReadExifDate(dir.Write("far.jpg", photo)), kCapturedSerial);
}

}  // namespace
}  // namespace routelet
