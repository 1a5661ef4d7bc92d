#include "track/read_gps_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

const std::string kRmc = "$GPRMC,150928,A,3539.1234,N,13945.6789,E,0.0,0.0,051111,,";
const std::string kGga = "$GPGGA,150928,3539.1234,N,13945.6789,E,1,08,1.0,123.45,M,,M,,";

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
  const struct {
    std::string path, message;
  } cases[] = {
      {dir.File("absent.nmea"), dir.File("absent.nmea") + "が見つかりません"},
      {dir.File("folder.nmea"), dir.File("folder.nmea") + "を開けません（フォルダです）"},
      {locked, locked + "を開けません（"},  // the reason follows
  };
  for (const auto& c : cases) {
    if (c.path == locked && geteuid() == 0) continue;  // root reads every file
    ui.messages.clear();
    EXPECT_FALSE(ReadGpsLog(c.path, ui, list)) << c.path;
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.starts_with(c.message)) << ui.messages[0].text;
    EXPECT_EQ(ui.messages[0].title, "Routelet");
    EXPECT_THAT(Kept(), ElementsAre("kept"));
  }
  EXPECT_TRUE(ui.progress.empty());
}

// Only position and fix sentences are kept, unchanged and in file order. Bytes that are not
// UTF-8 (a Shift_JIS comment, line noise) are not converted: the buffer is the file, and a
// damaged sentence keeps the bytes its checksum was made of.
TEST_F(ReadGpsLogTest, KeepsPositionAndFixSentencesAsTheyAre) {
  const std::string content = kGga + "\r\n$GPGSV,3,1,11,01,02,003,40*70\r\n$GNRMC,1,A*00   \r\n" +
                              "$gprmc,150928,A\r\n $GPRMC,150928,A\r\n$GPRMC\r\n" +
                              "# \x82\xA0\x82\xA2 $GPRMC,\r\n" + kRmc + "\r\n$GPGGA,1\xFF,\r\n$INGGA,\r\n";
  ASSERT_TRUE(Read(content));
  EXPECT_EQ(list.buffer, content);
  EXPECT_THAT(Kept(), ElementsAre(kGga, "$GNRMC,1,A*00   ", kRmc, "$GPGGA,1\xFF,", "$INGGA,"));
  EXPECT_TRUE(ui.messages.empty());
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
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(Read(c.content));
    EXPECT_EQ(Kept(), c.kept);
  }
}

TEST_F(ReadGpsLogTest, ReportsEveryHundredthLine) {
  const struct {
    int lines;
    const char* ending;
    std::vector<std::string> progress;
  } cases[] = {
      {99, "\r\n", {}},
      {100, "\n", {"GPSデータ解析中：100行目"}},
      {250, "\r", {"GPSデータ解析中：100行目", "GPSデータ解析中：200行目"}},
  };
  for (const auto& c : cases) {
    std::string text;
    for (int i = 0; i < c.lines; ++i) text += "$GPGSV," + std::to_string(i) + c.ending;
    ui.progress.clear();
    ASSERT_TRUE(Read(text));
    EXPECT_EQ(ui.progress, c.progress) << c.lines;
  }
}

}  // namespace
}  // namespace routelet
