// Reading a log: the sentences kept, line endings, checksums and errors. The real receiver logs
// are read and built into tracks in parse_track_test.cpp.
#include "track/read_gps_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/recording_front_end.h"
#include "support/temp_dir.h"
#include "track/nmea_sentence.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

const std::string kRmc = "$GPRMC,150928,A,3539.1234,N,13945.6789,E,0.0,0.0,051111,,";
const std::string kGga = "$GPGGA,150928,3539.1234,N,13945.6789,E,1,08,1.0,123.45,M,,M,,";

TEST(CheckSentence, AcceptsMatchingOrMissingChecksumsOnly) {
  const struct {
    std::string_view line;
    bool usable;
    std::string_view body;
  } cases[] = {
      // A real sentence with its receiver's checksum; hexadecimal digits in either case, blanks after.
      {"$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310317,8.9,E,D*2E", true,
       "$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310317,8.9,E,D"},
      {"$GPGGA,1*4b", true, "$GPGGA,1"},
      {"$GPRMC,,V,,,,,,,,,,N*53  \t", true, "$GPRMC,,V,,,,,,,,,,N"},
      // The same sentence damaged in one digit, and a wrong checksum.
      {"$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310318,8.9,E,D*2E", false, ""},
      {"$GPGGA,1*4C", false, ""},
      // Without a complete checksum the sentence is taken as it is.
      {"$GPGSV,2,2,08,19,13,277,,*7", true, "$GPGSV,2,2,08,19,13,277,,*7"},
      {"$GPRMC,1*5G", true, "$GPRMC,1*5G"},
      {"$GPRMC,1*56x", true, "$GPRMC,1*56x"},
      {"$*00", true, "$"},
  };
  for (const auto& c : cases) {
    std::string_view body = "unchanged";
    EXPECT_EQ(CheckSentence(c.line, body), c.usable) << c.line;
    if (c.usable) {
      EXPECT_EQ(body, c.body) << c.line;
    }
  }
}

class ReadGpsLogTest : public ::testing::Test {
 protected:
  bool Read(std::string_view content) { return ReadGpsLog(dir.Write("log.nmea", content), ui, list); }
  std::vector<std::string> Kept() const { return {list.lines.begin(), list.lines.end()}; }

  testing::TempDir dir;
  testing::RecordingFrontEnd ui;
  LogLineList list;
};

TEST_F(ReadGpsLogTest, UnreadableLogsAreToldAndLeaveTheListAlone) {
  list.buffer = "kept";
  list.lines.push_back(list.buffer);
  std::filesystem::create_directory(dir.File("folder.nmea"));
  const std::string locked = dir.Write("locked.nmea", kRmc + "\r\n");
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  const std::pair<std::string, std::string> cases[] = {
      {dir.File("absent.nmea"), dir.File("absent.nmea") + "が見つかりません"},
      {dir.File("folder.nmea"), dir.File("folder.nmea") + "を開けません（フォルダです）"},
      {locked, locked + "を開けません（"},  // the reason follows
  };
  for (const auto& [path, message] : cases) {
    if (path == locked && geteuid() == 0) continue;  // root reads every file
    ui.messages.clear();
    EXPECT_FALSE(ReadGpsLog(path, ui, list)) << path;
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.starts_with(message)) << ui.messages[0].text;
    EXPECT_EQ(ui.messages[0].title, "Routelet");
    EXPECT_THAT(Kept(), ElementsAre("kept"));
  }
  EXPECT_TRUE(ui.progress.empty());
}

// Only position and fix sentences ("$", two capital letters, "RMC," or "GGA,") are kept,
// unchanged and in file order. Bytes that are not UTF-8 (a Shift_JIS comment, line noise) are
// not converted: the buffer is the file, and a damaged sentence keeps the bytes its checksum was
// made of. Every hundredth line is reported.
TEST_F(ReadGpsLogTest, KeepsPositionAndFixSentencesAsTheyAre) {
  std::string content = kGga + "\r\n$GPGSV,3,1,11,01,02,003,40*70\r\n$GNRMC,1,A*00   \r\n$gprmc,150928,A\r\n" +
                        " $GPRMC,150928,A\r\n# \x82\xA0\x82\xA2 $GPRMC,\r\n" + kRmc + "\r\n$GPGGA,1\xFF,\r\n$INGGA,\r\n" +
                        "$GPRMC\r\n$GPRMCX,\r\n$GpRMC,1\r\n$G1RMC,1\r\n$RMC,1\r\nGPRMC,1\r\n$\r\n$BDGGA,x\r\n";
  for (int i = 18; i < 250; ++i) content += "$GPGSV," + std::to_string(i) + "\r";
  ASSERT_TRUE(Read(content));
  EXPECT_EQ(list.buffer, content);
  EXPECT_THAT(Kept(), ElementsAre(kGga, "$GNRMC,1,A*00   ", kRmc, "$GPGGA,1\xFF,", "$INGGA,", "$BDGGA,x"));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_THAT(ui.progress, ElementsAre("GPSデータ解析中：100行目", "GPSデータ解析中：200行目"));
}

TEST_F(ReadGpsLogTest, LinesEndAtCrLfLoneCrOrLoneLf) {
  const std::string r = kRmc, g = kGga;
  const struct {
    const char* what;
    std::string content;
    std::vector<std::string> kept;
  } cases[] = {
      {"CR LF", r + "\r\n" + g + "\r\n", {r, g}},
      {"LF only", r + "\n" + g + "\n", {r, g}},
      {"CR only", r + "\r" + g + "\r", {r, g}},
      {"mixed, with empty lines", r + "\r\n\n" + g + "\r\r\n" + r + "\n", {r, g, r}},
      {"no ending after the last line", r + "\r\n" + g, {r, g}},
      {"a cut-off last sentence", r + "\n$", {r}},
      {"a byte-order mark before the first line", "\xEF\xBB\xBF" + r, {r}},
      {"empty file", "", {}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Read(c.content)) << c.what;
    EXPECT_EQ(Kept(), c.kept) << c.what;
  }
}

}  // namespace
}  // namespace routelet
