#include "track/read_gps_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordingFrontEnd;
using testing::TempDir;

constexpr std::string_view kRmc = "$GPRMC,150928,A,3539.1234,N,13945.6789,E,0.0,0.0,051111,,";
constexpr std::string_view kGga = "$GPGGA,150928,3539.1234,N,13945.6789,E,1,08,1.0,123.45,M,,M,,";

std::vector<std::string> Kept(const LogLineList& list) {
  return {list.lines.begin(), list.lines.end()};
}

// `count` lines, each ended by `ending`.
std::string Lines(int count, std::string_view ending) {
  std::string text;
  for (int i = 0; i < count; ++i) text.append("$GPGSV,").append(std::to_string(i)).append(ending);
  return text;
}

class ReadGpsLogTest : public ::testing::Test {
 protected:
  bool Read(std::string_view content) { return ReadGpsLog(dir.Write("log.nmea", content), ui, list); }

  TempDir dir;
  RecordingFrontEnd ui;
  LogLineList list;
};

TEST_F(ReadGpsLogTest, MissingFileIsToldAndLeavesTheListAlone) {
  list.buffer = "kept";
  list.lines.push_back(list.buffer);
  const std::string path = dir.File("absent.nmea");

  EXPECT_FALSE(ReadGpsLog(path, ui, list));
  EXPECT_THAT(ui.messages, ElementsAre(RecordingFrontEnd::Message{path + "が見つかりません", "Routelet"}));
  EXPECT_THAT(ui.progress, IsEmpty());
  EXPECT_THAT(Kept(list), ElementsAre("kept"));
}

TEST_F(ReadGpsLogTest, FolderIsToldAsUnreadable) {
  const std::string path = dir.File("folder.nmea");
  std::filesystem::create_directory(path);

  EXPECT_FALSE(ReadGpsLog(path, ui, list));
  EXPECT_THAT(ui.messages,
              ElementsAre(RecordingFrontEnd::Message{path + "を開けません（フォルダです）", "Routelet"}));
  EXPECT_THAT(Kept(list), IsEmpty());
}

TEST_F(ReadGpsLogTest, FileWithoutReadPermissionIsToldAsUnreadable) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string path = dir.Write("locked.nmea", std::string(kRmc) + "\r\n");
  std::filesystem::permissions(path, std::filesystem::perms::none);

  EXPECT_FALSE(ReadGpsLog(path, ui, list));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_THAT(ui.messages[0].text, ::testing::StartsWith(path + "を開けません（"));
  EXPECT_THAT(Kept(list), IsEmpty());
}

TEST_F(ReadGpsLogTest, KeepsPositionAndFixSentencesUnchangedInFileOrder) {
  const std::string content = std::string(kGga) + "\r\n" +
                              "$GPGSV,3,1,11,01,02,003,40*70\r\n" +
                              "$GNRMC,1,A*00   \r\n" +  // damaged and padded: kept as it is
                              "$gprmc,150928,A\r\n" +
                              " $GPRMC,150928,A\r\n" +
                              "$GPRMC\r\n" +
                              "# $GPRMC, in a comment\r\n" + std::string(kRmc) + "\r\n" +
                              "$INGGA,\r\n";
  ASSERT_TRUE(Read(content));
  EXPECT_THAT(Kept(list), ElementsAre(kGga, "$GNRMC,1,A*00   ", kRmc, "$INGGA,"));
  EXPECT_THAT(ui.messages, IsEmpty());
}

struct EndingCase {
  const char* what;
  std::string content;
  std::vector<std::string> kept;
};

TEST_F(ReadGpsLogTest, LinesEndAtCrLfLoneCrOrLoneLf) {
  const std::string r(kRmc);
  const std::string g(kGga);
  const std::vector<EndingCase> cases = {
      {"CR LF", r + "\r\n" + g + "\r\n", {r, g}},
      {"LF only", r + "\n" + g + "\n", {r, g}},
      {"CR only", r + "\r" + g + "\r", {r, g}},
      {"mixed, with empty lines", r + "\r\n\n" + g + "\r\r\n" + r + "\n", {r, g, r}},
      {"CR CR LF", r + "\r\r\n" + g + "\r\r\n", {r, g}},
      {"no ending after the last line", r + "\r\n" + g, {r, g}},
      {"a cut-off last sentence", r + "\n$", {r}},
      {"a byte-order mark before the first line", "\xEF\xBB\xBF" + r, {r}},
      {"empty file", "", {}},
  };
  for (const EndingCase& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(Read(c.content));
    EXPECT_EQ(Kept(list), c.kept);
  }
}

struct ProgressCase {
  int lines;
  std::string_view ending;
  std::vector<std::string> progress;
};

TEST_F(ReadGpsLogTest, ReportsEveryHundredthLine) {
  const std::vector<ProgressCase> cases = {
      {99, "\r\n", {}},
      {100, "\n", {"GPSデータ解析中：100行目"}},
      {250, "\r\n", {"GPSデータ解析中：100行目", "GPSデータ解析中：200行目"}},
      {250, "\r", {"GPSデータ解析中：100行目", "GPSデータ解析中：200行目"}},
  };
  for (const ProgressCase& c : cases) {
    SCOPED_TRACE(c.lines);
    ui.progress.clear();
    ASSERT_TRUE(Read(Lines(c.lines, c.ending)));
    EXPECT_EQ(ui.progress, c.progress);
  }
}

TEST_F(ReadGpsLogTest, BytesThatAreNotUtf8StayAsTheyAre) {
  // A Shift_JIS comment and a stray byte of line noise inside a sentence. Nothing is converted,
  // so the buffer is the file and the damaged sentence keeps the bytes its checksum was made of.
  const std::string noisy = "$GPGGA,1\xFF,";
  const std::string content =
      "# \x82\xA0\x82\xA2\x82\xA4\r\n" + std::string(kRmc) + "\r\n" + noisy + "\r\n";
  ASSERT_TRUE(Read(content));
  EXPECT_EQ(list.buffer, content);
  EXPECT_THAT(Kept(list), ElementsAre(kRmc, noisy));
}

}  // namespace
}  // namespace routelet
