// Runtime helpers: numbers read from text and rounded, dates and numbers written as text,
// replacing, splitting, decoding, UTF-16 lengths and paths. Escaping is checked through the
// page's placeholders (photos_test.cpp, output_test.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <limits>
#include <thread>

#include "runtime/dates.h"
#include "runtime/files.h"
#include "runtime/numbers.h"
#include "runtime/text_file.h"
#include "runtime/text_helpers.h"
#include "runtime/utf8.h"
#include "runtime/value_texts.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Val, ReadsTheLeadingNumber) {
  const std::pair<std::string, double> cases[] = {
      {"3539.1234", 3539.1234}, {"-12.5", -12.5}, {"+7", 7},      {"  42", 42},   {"1 2 3", 123},
      {"12abc", 12},            {"1.2.3", 1.2},   {".5", 0.5},    {"1e3", 1000},  {"1.5D2", 150},
      {"2e", 2},                {"2e-1x", 0.2},   {"", 0},        {"-", 0},       {"*47", 0},
      {"123.45,M", 123.45},     {"1e999", kInf},  {"-1e999", -kInf}, {std::string(400, '9'), kInf},
      {"1e-999", 0},            {"0." + std::string(400, '0') + "1", 0},
  };
  for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(Val(text), expected) << '"' << text << '"';
}

TEST(ToInt, RoundsTiesToEvenAndRefusesWhatDoesNotFit) {
  const std::pair<double, std::optional<std::int32_t>> cases[] = {
      {2.5, 2},           {3.5, 4},           {-2.5, -2},         {-3.5, -4},       {2.4999, 2},
      {0.5, 0},           {2147483647.4, 2147483647},             {2147483647.5, std::nullopt},
      {-2147483648.5, -2147483648},           {-2147483648.6, std::nullopt},      {1e20, std::nullopt},
      {kInf, std::nullopt}, {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(ToInt32(value), expected) << value;
  EXPECT_EQ(ToInt64(4102444800.0), 4102444800);  // times past 2038
  EXPECT_EQ(ToInt64(-0.5), 0);
  EXPECT_EQ(ToInt64(9.3e18), std::nullopt);
  EXPECT_EQ(ToInt64(-9.3e18), std::nullopt);
  EXPECT_EQ(ToInt64(-9223372036854775808.0), std::numeric_limits<std::int64_t>::min());
}

// Day serial 0 is 1899-12-30; month and day numbers out of range carry (the track's dates show
// that: parse_track_test.cpp), and a date text is rounded to the nearest second.
TEST(DateText, CountsDaysFrom1899AndRoundsToTheNearestSecond) {
  EXPECT_EQ(DateFromParts(1970, 1, 1), kUnixEpochSerial);
  EXPECT_EQ(*ParseDateText("2011/11/05 12:34:56"), 40852.0 + 45296.0 / 86400.0);
  const DaySerial noon = DateFromParts(2011, 11, 5) + TimeFromParts(12, 0, 0);
  const double second = 1.0 / 86400;
  EXPECT_EQ(DateText(noon - 0.4 * second), "2011/11/05 12:00:00");  // just below a full second
  EXPECT_EQ(DateText(noon + 0.6 * second), "2011/11/05 12:00:01");
  EXPECT_EQ(DateText(DateFromParts(2011, 11, 6) - 0.3 * second), "2011/11/06 00:00:00");
  EXPECT_EQ(DateText(-0.25), "1899/12/29 18:00:00");
  EXPECT_EQ(DateText(1e300), "");  // no calendar date
}

TEST(NumberText, RoundsHalfAwayFromZeroOnTheShortestDecimal) {
  const struct {
    double value;
    int digits;
    const char* expected;
  } cases[] = {
      {12.5, 2, "12.50"},       {0.5, 2, ".50"},          {0, 2, ".00"},            {-0.25, 2, "-.25"},
      {139.7454178, 4, "139.7454"}, {0.00006, 4, ".0001"}, {2.675, 2, "2.68"},       {35.68125, 4, "35.6813"},
      {-0.001, 2, ".00"},       {-0.005, 2, "-.01"},      {9.995, 2, "10.00"},      {-0.99999, 4, "-1.0000"},
      {1e20, 2, "100000000000000000000.00"},              {-0.0, 2, ".00"},         {5e-324, 4, ".0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberText(c.value, c.digits), c.expected) << c.value;
  EXPECT_EQ(RightAligned10(999999999), " 999999999");
  EXPECT_EQ(RightAligned10(-5), "        -5");
  EXPECT_EQ(RightAligned10(32503680000), "32503680000");  // never cut
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanningInPlaceAlike) {
  const struct {
    const char *text, *find, *replacement, *expected;
  } cases[] = {
      {"abc", "[x]", "y", "abc"},                              // nothing to replace
      {"aaa", "aa", "b", "ba"},                                // no overlap, left to right
      {"a[x]b[x]", "[x]", "[x][x]", "a[x][x]b[x][x]"},         // an inserted text is not searched again
      {"[ti[time]me]", "[time]", "", "[time]"},                // nor what forms where a removal joins
      {"[lat] [LAT] [Lat]", "[lat]", "35", "35 [LAT] [Lat]"},  // letter case counts
      {"[a][a][a]", "[a]", "日本", "日本日本日本"},
      {"x[a]", "[a]", "", "x"},
      {"[a]", "", "z", "[a]"},                                 // an empty find text changes nothing
      {"", "[x]", "longer text", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected) << c.text;
    std::string inPlace = c.text;
    const bool changed = ReplaceAllInPlace(inPlace, c.find, c.replacement);
    EXPECT_EQ(inPlace, c.expected) << c.text;
    EXPECT_EQ(changed, inPlace != c.text) << c.text;
  }
}

TEST(SplitFields, GivesOnePieceMoreThanDelimitersIntoTheCallersVector) {
  EXPECT_THAT(SplitFields(",a,,b,", ","), ElementsAre("", "a", "", "b", ""));
  EXPECT_THAT(SplitFields("", ","), ElementsAre(""));
  EXPECT_THAT(SplitFields("a::b:::c", "::"), ElementsAre("a", "b", ":c"));
  std::vector<std::string_view> pieces{"stale", "stale", "stale", "stale"};
  SplitFields("x,y", ",", pieces);
  EXPECT_THAT(pieces, ElementsAre("x", "y"));
}

TEST(DecodeText, KeepsUtf8ReadsShiftJisAndReplacesTheRest) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF*body\r\n日本", "*body\r\n日本"},  // a UTF-8 byte-order mark is dropped
      {"$GPRMC,1", "$GPRMC,1"},
      {"", ""},
      {"*photolist\r\n\x83\x8B\x81\x5B\x83\x67\x83\x66\x81\x5B\x83\x5E", "*photolist\r\nルートデータ"},
      {"\\~\x82\xA0", "\\~あ"},  // the yen sign and tilde bytes stay ASCII, as Windows reads them
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},
      {"a\x83", "a\xEF\xBF\xBD"},                      // a lead byte cut off at the end
      {"\x85\x40\x83\x65", "\xEF\xBF\xBD@テ"},         // an unassigned pair
      {"\x83\xBF\x81\x98", "α§"},                       // two-byte UTF-8
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(DecodeText(bytes), text) << bytes;
}

// Lengths in UTF-16 code units decide whether an NMEA time field has its six digits.
TEST(Utf16Length, CountsCodeUnits) {
  EXPECT_EQ(Utf16Length("aé日"), 3u);
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);  // U+1F600 needs a surrogate pair
}

TEST(Paths, SplitAtTheLastSlashAndFindTheProgram) {
  EXPECT_EQ(DirectoryOf("/home/u/trip.log"), "/home/u");
  EXPECT_EQ(DirectoryOf("trip.log"), ".");
  EXPECT_EQ(DirectoryOf("/trip.log"), "/");
  EXPECT_EQ(JoinPath("/", "x.jpg"), "/x.jpg");
  EXPECT_TRUE(PathExists(JoinPath(ProgramDirectory(), "routelet_runtime_tests")));
}

// A file cut short while it is read (a logger still writing, a copy being replaced) gives the
// part that was there, whenever the cut comes; a file that reports no size is read whole.
TEST(ReadFileBytes, GivesWhatIsThereWhenTheSizeChangesOrIsUnknown) {
  testing::TempDir dir;
  std::string content;
  for (int i = 0; content.size() < 32 * 1024 * 1024; ++i) content += "$GPRMC," + std::to_string(i) + "\r\n";
  const std::string path = dir.Write("shrinking.log", content);
  std::thread cutter([&] { ::truncate(path.c_str(), 1000); });
  std::string bytes, error;
  const bool read = ReadFileBytes(path, bytes, error);
  cutter.join();
  ASSERT_TRUE(read) << error;
  EXPECT_GE(bytes.size(), 1000u);
  EXPECT_EQ(bytes, content.substr(0, bytes.size()));

  ASSERT_TRUE(ReadFileBytes("/proc/self/status", bytes, error)) << error;
  EXPECT_NE(bytes.find("Name:"), std::string::npos);
}

}  // namespace
}  // namespace routelet
