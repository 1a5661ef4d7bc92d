// Runtime helpers, in the order of their headers; escaping is checked through the page's placeholders.
#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <limits>
#include <random>
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

// Parts out of range carry (forward ones: the track's time fields), past the years chrono names too;
// texts round to the second; only real dates parse (each part's range: the Exif date samples).
TEST(Dates, PartsCarryTextsRoundToTheSecondAndOnlyRealDatesParse) {
  const std::tuple<std::int64_t, std::int64_t, std::int64_t, std::string> dates[] = {
      {2024, 2, 29, "2024/02/29"}, {2023, 2, 29, "2023/03/01"}, {1900, 2, 29, "1900/03/01"}, {2000, 2, 29, "2000/02/29"},
      {2024, 1, -1, "2023/12/30"}, {2024, -12, 1, "2022/12/01"}, {2000, 99, 99, "2008/06/07"}, {1, 1, 0, "0000/12/31"},
      {40000, 2, 29, "40000/02/29"}, {-40000, 3, 0, "-40000/02/29"},
  };
  for (const auto& [y, m, d, text] : dates) EXPECT_EQ(DateText(DateFromParts(y, m, d)), text + " 00:00:00");
  const DaySerial noon = DateFromParts(2011, 11, 5) + TimeFromParts(12, 0, 0), second = 1.0 / 86400;
  const auto parsed = [](const char* text) { return ParseDateText(text).value_or(1e300); };  // 1e300: no date text
  const std::pair<DaySerial, const char*> texts[] = {
      {noon - 0.4 * second, "2011/11/05 12:00:00"}, {noon + 0.6 * second, "2011/11/05 12:00:01"}, {-0.25, "1899/12/29 18:00:00"},
      {noon + 0.5 - 0.3 * second, "2011/11/06 00:00:00"}, {1e9, "2739807/01/02 00:00:00"}, {-1e9, "-2736008/12/27 00:00:00"},
      {1e9 + 1, ""}, {1e300, ""}, {kInf, ""}, {parsed("2024/2/9 1:2:3"), "2024/02/09 01:02:03"}, {parsed("1900/02/29"), ""},
      {parsed("0000/12/31 23:59:59"), "0000/12/31 23:59:59"}, {parsed("2024/04/31"), ""}, {parsed("2024/01/01 "), ""}, {parsed("24/01/01"), ""},
  };
  for (const auto& [serial, text] : texts) EXPECT_EQ(DateText(serial), text) << serial;
}

// Without /proc the program is found as the shell found it, by its path or through PATH. Names
// compare with ASCII letters folded to lower case ("_" lies between "Z" and "a"), bytes from 0x80 after.
#ifndef _WIN32  // execute permission and symlinks are POSIX's; Windows takes its own path
TEST(Files, ProgramNamesThroughPathAndLinks) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("bin/folder"));  // a folder is no program
  dir.Write("run", "");                                          // nor a file that may not run
  const std::string run = dir.Write("bin/run", ""), path = dir.path().string() + "::" + dir.File("bin");
  std::filesystem::permissions(run, std::filesystem::perms::owner_all);
  std::filesystem::create_symlink(run, dir.File("link"));
  for (const auto& [argv0, found] : {std::pair{dir.File("link"), run}, {"run", run}, {"folder", ""}, {"", ""}}) {
    EXPECT_EQ(ResolveProgramName(argv0, path), found) << argv0;
  }
}
#endif

// Windows paths take "\\" and "/" alike, with drive letters and UNC shares; links between
// files (a page's to its photos) take "/" on every system.
TEST(Files, FolderNamesAndNameOrder) {
  EXPECT_EQ(DirectoryOf("/home/u/trip.log") + " " + DirectoryOf("trip.log") + " " + DirectoryOf("/trip.log") + " " + JoinPath("/", "x.jpg"),
            "/home/u . / /x.jpg");
#ifdef _WIN32
  EXPECT_EQ(DirectoryOf("C:\\旅\\trip.log") + "|" + DirectoryOf("C:\\trip.log") + "|" + DirectoryOf("\\\\pc\\share\\t.log") + "|" +
                DirectoryOf("a/b\\c.log") + "|" + JoinPath("C:\\旅", "x.jpg") + "|" + JoinPath("C:/a", "x.jpg"),
            "C:\\旅|C:\\|\\\\pc\\share|a/b|C:\\旅\\x.jpg|C:/a/x.jpg");
  EXPECT_EQ(RelativePath("C:\\t\\写真\\a.jpg", "C:\\t\\out") + "|" + RelativePath("D:\\p\\a.jpg", "C:\\t"),
            "../写真/a.jpg|D:/p/a.jpg");
#endif
  EXPECT_TRUE(EqualsIgnoringCase("Photo.JPG", "photo.jpg") && !EqualsIgnoringCase("É", "é"));
  EXPECT_TRUE(LessIgnoringCase("_", "B") && LessIgnoringCase("z", "é"));
}

// Val reads the leading number; ToInt32 and ToInt64 round ties to even and refuse what does not
// fit; NumberText rounds half away from zero on the shortest decimal.
TEST(Numbers, ValToIntAndNumberText) {
  const std::pair<std::string, double> texts[] = {
      {"3539.1234", 3539.1234}, {"-12.5", -12.5}, {"+7", 7}, {"  42", 42}, {"1 2 3", 123}, {"12abc", 12}, {"1.2.3", 1.2},
      {".5", 0.5}, {"1e3", 1000}, {"1.5D2", 150}, {"2e", 2}, {"2e-1x", 0.2}, {"", 0}, {"-", 0}, {"*47", 0}, {"123.45,M", 123.45},
      {"1e999", kInf}, {"-1e999", -kInf}, {std::string(400, '9'), kInf}, {"1e-999", 0}, {"0." + std::string(400, '0') + "1", 0},
  };
  for (const auto& [text, expected] : texts) EXPECT_DOUBLE_EQ(Val(text), expected) << '"' << text << '"';
  const std::tuple<double, std::optional<std::int32_t>, std::optional<std::int64_t>> values[] = {  // ToInt32, ToInt64
      {2.5, 2, 2}, {3.5, 4, 4}, {-2.5, -2, -2}, {-3.5, -4, -4}, {-0.5, 0, 0}, {2147483647.4, 2147483647, 2147483647},
      {2147483647.5, {}, 2147483648}, {-2147483648.5, -2147483648, -2147483648}, {-2147483648.6, {}, -2147483649},
      {4102444800.0, {}, 4102444800}, {9.3e18, {}, {}}, {-9.3e18, {}, {}}, {kInf, {}, {}},
      {-9223372036854775808.0, {}, std::numeric_limits<std::int64_t>::min()}, {std::numeric_limits<double>::quiet_NaN(), {}, {}},
  };
  for (const auto& [value, as32, as64] : values) EXPECT_EQ(std::pair(ToInt32(value), ToInt64(value)), std::pair(as32, as64)) << value;
  const std::tuple<double, int, const char*> decimals[] = {
      {12.5, 2, "12.50"}, {0.5, 2, ".50"}, {0, 2, ".00"}, {-0.25, 2, "-.25"}, {0.00006, 4, ".0001"}, {2.675, 2, "2.68"},
      {35.68125, 4, "35.6813"}, {-0.001, 2, ".00"}, {-0.005, 2, "-.01"}, {9.995, 2, "10.00"}, {-0.99999, 4, "-1.0000"},
      {1e20, 2, "100000000000000000000.00"}, {-0.0, 2, ".00"}, {5e-324, 4, ".0000"}, {139.7454178, 4, "139.7454"},
      // 8614255.495 is stored just below the tie, yet its shortest text rounds up.
      {12.34495, 2, "12.34"}, {8614255.495, 2, "8614255.50"},
  };
  for (const auto& [value, digits, text] : decimals) EXPECT_EQ(NumberText(value, digits), text) << value;
  EXPECT_EQ(RightAligned10(-5) + "|" + RightAligned10(32503680000), "        -5|32503680000");  // never cut
}

// Plain decimals (all a receiver writes) read as the double nearest them, bit for bit, however
// many digits they have and wherever the point is.
TEST(Numbers, PlainDecimalsGiveTheNearestDouble) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 200000; ++i) {
    std::string text = random() % 4 == 0 ? "-" : "";
    const int digits = 1 + static_cast<int>(random() % 20);
    const int point = static_cast<int>(random() % (digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point && d > 0) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    const double expected = std::strtod(text.c_str(), nullptr);
    ASSERT_EQ(std::bit_cast<std::uint64_t>(Val(text)), std::bit_cast<std::uint64_t>(expected)) << text;
  }
}

// A file cut short while it is read (a logger still writing, a copy being replaced) gives the
// part that was there, whenever the cut comes; a file that reports no size is read whole.
TEST(ReadFileBytes, GivesWhatIsThereWhenTheSizeChangesOrIsUnknown) {
  testing::TempDir dir;
  std::string content, bytes;
  for (int i = 0; content.size() < 32 * 1024 * 1024; ++i) content += "$GPRMC," + std::to_string(i) + "\r\n";
  const std::string path = dir.Write("shrinking.log", content);
  std::thread cutter([&] { std::filesystem::resize_file(path, 1000); });
  const std::optional<FileError> problem = ReadFileBytes(path, bytes);
  cutter.join();
  ASSERT_FALSE(problem.has_value()) << problem->Reason;
  EXPECT_TRUE(bytes.size() >= 1000u && bytes == content.substr(0, bytes.size())) << bytes.size();
  EXPECT_TRUE(!ReadFileBytes("/proc/self/status", bytes) && bytes.find("Name:") != std::string::npos);
}

// Shift_JIS yen and tilde bytes stay ASCII, as Windows reads them; a cut lead byte and an unassigned
// pair become U+FFFD. Replacing goes left to right, without overlap or searching what it inserts or
// joins. Splitting fills the caller's vector with at most the pieces asked for.
TEST(Text, DecodeMeasureReplaceAndSplit) {
  const std::pair<std::string, std::string> texts[] = {
      {"\x83\xBF\x81\x98", "α§"}, {"\\~\x82\xA0", "\\~あ"}, {"a\xFF" "b", "a\xEF\xBF\xBD" "b"}, {"a\x83", "a\xEF\xBF\xBD"},
      {"\x85\x40\x83\x65", "\xEF\xBF\xBD@テ"},
  };
  for (const auto& [bytes, text] : texts) EXPECT_EQ(DecodeText(bytes), text) << bytes;
  EXPECT_EQ(Utf16Length("aé\xF0\x9F\x98\x80"), 4u);  // U+1F600 needs a surrogate pair
  EXPECT_EQ(Utf16Length("\x80\xBF"), 0u);            // bytes that start no character
  const std::tuple<std::string, const char*, const char*, const char*> cases[] = {
      {"aaa", "aa", "b", "ba"}, {"a[x]b[x]", "[x]", "[x][x]", "a[x][x]b[x][x]"}, {"[a]", "", "z", "[a]"},
      {"[ti[time]me]", "[time]", "", "[time]"}, {"[lat] [LAT]", "[lat]", "35", "35 [LAT]"}, {"[a][a][a]", "[a]", "日本", "日本日本日本"},
  };
  for (auto [text, find, replacement, expected] : cases) {
    const bool changes = text != expected;
    EXPECT_TRUE(ReplaceAllInPlace(text, find, replacement) == changes && text == expected) << text;
  }
  std::vector<std::string_view> pieces{"stale", "stale", "stale", "stale", "stale", "stale"};
  SplitFields(",a,,b,", ",", pieces);
  EXPECT_EQ(pieces, (std::vector<std::string_view>{"", "a", "", "b", ""}));
  SplitFields("a,b,,c", ",", pieces, 3);
  EXPECT_EQ(pieces, (std::vector<std::string_view>{"a", "b", ",c"}));
}

// Split at a byte, texts of any length with delimiters anywhere (runs of them, first and last
// bytes, bytes with the high bit set beside them) give the pieces that searching one delimiter
// after another gives, whatever the most pieces asked for.
TEST(Text, SplitFieldsAsSearchingOneAfterAnother) {
  std::mt19937 random(11);
  const char bytes[] = {',', ',', 'a', '7', '\xAC', '\x2D', '\x2B', '\0', '\xFF'};
  std::vector<std::string_view> pieces;
  for (int i = 0; i < 20000; ++i) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = bytes[random() % sizeof bytes];
    const std::size_t most = 1 + random() % 14;
    std::vector<std::string_view> expected;
    std::size_t start = 0;
    for (std::size_t at = text.find(','); at != std::string::npos && expected.size() + 1 < most; at = text.find(',', start)) {
      expected.push_back(std::string_view(text).substr(start, at - start));
      start = at + 1;
    }
    expected.push_back(std::string_view(text).substr(start));
    SplitFields(text, ",", pieces, most);
    ASSERT_EQ(pieces, expected) << ::testing::PrintToString(text) << " in at most " << most;
  }
}

}  // namespace
}  // namespace routelet
