// Runtime helpers, in the order of their headers. Escaping is checked through the page's
// placeholders (photos_test.cpp, output_test.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <limits>
#include <thread>

#include "runtime/dates.h"
#include "runtime/files.h"
#include "runtime/letter_case.h"
#include "runtime/numbers.h"
#include "runtime/text_file.h"
#include "runtime/text_helpers.h"
#include "runtime/utf8.h"
#include "runtime/value_texts.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Months outside 1..12 carry into the year, days outside the month into the next or previous
// month; the calendar repeats every 400 years (146097 days), also past the years chrono names.
// ParseDateText's range checks per part are in ExifDate.DateTexts (photos_test.cpp).
TEST(Dates, PartsCarryTextsRoundToTheSecondAndOnlyRealDatesParse) {
  const std::tuple<std::int64_t, std::int64_t, std::int64_t, std::string> dates[] = {
      {2024, 2, 29, "2024/02/29"}, {2023, 2, 29, "2023/03/01"}, {1900, 2, 29, "1900/03/01"},
      {2000, 2, 29, "2000/02/29"}, {2024, 3, 0, "2024/02/29"},  {2024, 1, -1, "2023/12/30"},
      {2024, 13, 1, "2025/01/01"}, {2024, 0, 1, "2023/12/01"},  {2024, -12, 1, "2022/12/01"},
      {2000, 99, 99, "2008/06/07"}, {1, 1, 0, "0000/12/31"},    {40000, 2, 29, "40000/02/29"},
      {-40000, 3, 0, "-40000/02/29"},
  };
  for (const auto& [y, m, d, text] : dates) EXPECT_EQ(DateText(DateFromParts(y, m, d)), text + " 00:00:00");
  EXPECT_EQ(DateFromParts(1970, 1, 1), kUnixEpochSerial);
  EXPECT_EQ(DateFromParts(40000, 1, 1), DateFromParts(2000, 1, 1) + 95 * 146097);  // 95 cycles of 400 years
  EXPECT_EQ(*ParseDateText("2011/11/05 12:34:56"), 40852.0 + 45296.0 / 86400.0);
  const DaySerial noon = DateFromParts(2011, 11, 5) + TimeFromParts(12, 0, 0), second = 1.0 / 86400;
  const auto parsed = [](const char* text) { return ParseDateText(text).value_or(1e300); };  // 1e300: no date text
  const std::pair<DaySerial, const char*> texts[] = {
      {noon - 0.4 * second, "2011/11/05 12:00:00"}, {noon + 0.6 * second, "2011/11/05 12:00:01"},
      {noon + 0.5 - 0.3 * second, "2011/11/06 00:00:00"}, {-0.25, "1899/12/29 18:00:00"}, {1e9 + 1, ""},
      {1e9, "2739807/01/02 00:00:00"}, {-1e9, "-2736008/12/27 00:00:00"}, {1e300, ""}, {kInf, ""},
      {parsed("2000/02/29"), "2000/02/29 00:00:00"}, {parsed("2024/2/9 1:2:3"), "2024/02/09 01:02:03"},
      {parsed("0000/12/31 23:59:59"), "0000/12/31 23:59:59"}, {parsed("1900/02/29"), ""}, {parsed("2024/04/31"), ""},
      {parsed("2024/01/01 "), ""}, {parsed("24/01/01"), ""},
  };
  for (const auto& [serial, text] : texts) EXPECT_EQ(DateText(serial), text) << serial;
}

TEST(Files, PathsSplitAtTheLastSlashAndNamesCompareWithAsciiCaseFolded) {
  for (auto [path, folder] : {std::pair{"/home/u/trip.log", "/home/u"}, {"trip.log", "."}, {"/trip.log", "/"}})
    EXPECT_EQ(DirectoryOf(path), folder) << path;
  EXPECT_EQ(JoinPath("/", "x.jpg"), "/x.jpg");
  EXPECT_TRUE(PathExists(JoinPath(ProgramDirectory(), "routelet_runtime_tests")));
  EXPECT_TRUE(EqualsIgnoringCase("Photo.JPG", "photo.jpg"));
  EXPECT_FALSE(EqualsIgnoringCase("É", "é"));
  EXPECT_TRUE(LessIgnoringCase("_", "B"));  // folded to lower case: "_" lies between "Z" and "a"
  EXPECT_TRUE(LessIgnoringCase("z", "é"));  // bytes from 0x80 come after ASCII
}

TEST(Val, ReadsTheLeadingNumber) {
  const std::pair<std::string, double> cases[] = {
      {"3539.1234", 3539.1234}, {"-12.5", -12.5}, {"+7", 7}, {"  42", 42}, {"1 2 3", 123}, {"12abc", 12},
      {"1.2.3", 1.2}, {".5", 0.5}, {"1e3", 1000}, {"1.5D2", 150}, {"2e", 2}, {"2e-1x", 0.2}, {"", 0}, {"-", 0},
      {"*47", 0}, {"123.45,M", 123.45}, {"1e999", kInf}, {"-1e999", -kInf}, {std::string(400, '9'), kInf},
      {"1e-999", 0}, {"0." + std::string(400, '0') + "1", 0},
  };
  for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(Val(text), expected) << '"' << text << '"';
}

TEST(ToInt, RoundsTiesToEvenAndRefusesWhatDoesNotFit) {
  const std::pair<double, std::optional<std::int32_t>> cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2147483647.4, 2147483647}, {2147483647.5, std::nullopt},
      {-2147483648.5, -2147483648}, {-2147483648.6, std::nullopt}, {kInf, std::nullopt},
      {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(ToInt32(value), expected) << value;
  const std::pair<double, std::optional<std::int64_t>> wide[] = {
      {4102444800.0, 4102444800}, {-0.5, 0}, {9.3e18, std::nullopt}, {-9.3e18, std::nullopt},  // past 2038
      {-9223372036854775808.0, std::numeric_limits<std::int64_t>::min()},
  };
  for (const auto& [value, expected] : wide) EXPECT_EQ(ToInt64(value), expected) << value;
}

// A file cut short while it is read (a logger still writing, a copy being replaced) gives the
// part that was there, whenever the cut comes; a file that reports no size is read whole.
TEST(ReadFileBytes, GivesWhatIsThereWhenTheSizeChangesOrIsUnknown) {
  testing::TempDir dir;
  std::string content, bytes, error;
  for (int i = 0; content.size() < 32 * 1024 * 1024; ++i) content += "$GPRMC," + std::to_string(i) + "\r\n";
  const std::string path = dir.Write("shrinking.log", content);
  std::thread cutter([&] { ::truncate(path.c_str(), 1000); });
  const bool read = ReadFileBytes(path, bytes, error);
  cutter.join();
  ASSERT_TRUE(read) << error;
  EXPECT_GE(bytes.size(), 1000u);
  EXPECT_EQ(bytes, content.substr(0, bytes.size()));
  ASSERT_TRUE(ReadFileBytes("/proc/self/status", bytes, error)) << error;
  EXPECT_NE(bytes.find("Name:"), std::string::npos);
}

// A UTF-8 byte-order mark is dropped; the yen sign and tilde bytes of Shift_JIS stay ASCII, as
// Windows reads them; a cut lead byte and an unassigned pair become U+FFFD.
TEST(DecodeText, KeepsUtf8ReadsShiftJisAndReplacesTheRest) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF*body\r\n日本", "*body\r\n日本"}, {"$GPRMC,1", "$GPRMC,1"}, {"", ""}, {"\x83\xBF\x81\x98", "α§"},
      {"*photolist\r\n\x83\x8B\x81\x5B\x83\x67\x83\x66\x81\x5B\x83\x5E", "*photolist\r\nルートデータ"},
      {"\\~\x82\xA0", "\\~あ"}, {"a\xFF" "b", "a\xEF\xBF\xBD" "b"}, {"a\x83", "a\xEF\xBF\xBD"},
      {"\x85\x40\x83\x65", "\xEF\xBF\xBD@テ"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(DecodeText(bytes), text) << bytes;
}

// Left to right without overlap; neither an inserted text nor what forms where a removal joins
// is searched again; letter case counts; an empty find text changes nothing.
TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanningInPlaceAlike) {
  const std::tuple<std::string, const char*, const char*, const char*> cases[] = {
      {"aaa", "aa", "b", "ba"}, {"a[x]b[x]", "[x]", "[x][x]", "a[x][x]b[x][x]"}, {"[a]", "", "z", "[a]"},
      {"[ti[time]me]", "[time]", "", "[time]"}, {"[lat] [LAT]", "[lat]", "35", "35 [LAT]"},
      {"[a][a][a]", "[a]", "日本", "日本日本日本"},
  };
  for (auto [text, find, replacement, expected] : cases) {
    EXPECT_EQ(ReplaceAll(text, find, replacement), expected) << text;
    const bool changes = text != expected;
    EXPECT_EQ(ReplaceAllInPlace(text, find, replacement), changes) << text;
    EXPECT_EQ(text, expected);
  }
}

TEST(SplitFields, GivesOnePieceMoreThanDelimitersIntoTheCallersVector) {
  std::vector<std::string_view> pieces{"stale", "stale", "stale", "stale", "stale", "stale"};
  SplitFields(",a,,b,", ",", pieces);
  EXPECT_THAT(pieces, ::testing::ElementsAre("", "a", "", "b", ""));
  EXPECT_THAT(SplitFields("a::b:::c", "::"), ::testing::ElementsAre("a", "b", ":c"));
}

// Lengths in UTF-16 code units decide whether an NMEA time field has its six digits.
TEST(Utf16Length, CountsCodeUnitsOfCharacterStarts) {
  EXPECT_EQ(Utf16Length("aé\xF0\x9F\x98\x80"), 4u);  // U+1F600 needs a surrogate pair
  EXPECT_EQ(Utf16Length("\x80\xBF"), 0u);            // bytes that start no character
}

TEST(NumberText, RoundsHalfAwayFromZeroOnTheShortestDecimal) {
  const std::tuple<double, int, const char*> cases[] = {
      {12.5, 2, "12.50"}, {0.5, 2, ".50"}, {0, 2, ".00"}, {-0.25, 2, "-.25"}, {0.00006, 4, ".0001"}, {2.675, 2, "2.68"},
      {35.68125, 4, "35.6813"}, {-0.001, 2, ".00"}, {-0.005, 2, "-.01"}, {9.995, 2, "10.00"}, {-0.99999, 4, "-1.0000"},
      {1e20, 2, "100000000000000000000.00"}, {-0.0, 2, ".00"}, {5e-324, 4, ".0000"}, {139.7454178, 4, "139.7454"},
  };
  for (const auto& [value, digits, text] : cases) EXPECT_EQ(NumberText(value, digits), text) << value;
  // Full precision: the shortest text that reads back, never with an exponent.
  for (const auto& [value, text] : {std::pair{0.1 + 0.2, "0.30000000000000004"}, {-0.5, "-0.5"}, {1e-7, "0.0000001"},
                                    {139.761315, "139.761315"}, {1e20, "100000000000000000000"}, {-12.0, "-12"}}) {
    EXPECT_EQ(ShortestText(value), text) << value;
  }
  EXPECT_EQ(RightAligned10(-5), "        -5");
  EXPECT_EQ(RightAligned10(32503680000), "32503680000");  // never cut
}

}  // namespace
}  // namespace routelet
