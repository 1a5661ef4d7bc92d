// Reading a log: the sentences kept, line endings, checksums and unreadable files. The real
// receiver logs are read in build_track_test.cpp.
#include "track/read_gps_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
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

// A usable sentence's body is the line without a matching checksum and the blanks after it.
TEST(CheckSentence, AcceptsMatchingOrMissingChecksumsOnly) {
  const std::string real = "$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310317,8.9,E,D";  // a receiver's
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {real + "*2E", real},
      {"$GPGGA,1*4b", "$GPGGA,1"},                              // hexadecimal digits in either case
      {"$GPRMC,,V,,,,,,,,,,N*53  \t", "$GPRMC,,V,,,,,,,,,,N"},  // blanks after
      {"$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310318,8.9,E,D*2E", std::nullopt},  // one digit off
      {"$GPGGA,1*4C", std::nullopt},
      // Without a complete checksum the sentence is taken as it is.
      {"$GPGSV,2,2,08,19,13,277,,*7", "$GPGSV,2,2,08,19,13,277,,*7"},
      {"$GPRMC,1*5G", "$GPRMC,1*5G"},
      {"$GPRMC,1*56x", "$GPRMC,1*56x"},
  };
  for (const auto& [line, body] : cases) {
    std::string_view got;
    EXPECT_EQ(CheckSentence(line, got) ? std::optional<std::string>(got) : std::nullopt, body) << line;
  }
}

std::vector<std::string> Kept(const GpsLog& log) { return {log.Lines.begin(), log.Lines.end()}; }

TEST(ReadGpsLog, UnreadableLogsGiveTheirProblemAndNoLines) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.File("folder.nmea"));
  const std::string locked = dir.Write("locked.nmea", kRmc + "\r\n");
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  std::filesystem::create_symlink("loop.nmea", dir.File("loop.nmea"));
  using enum FileError::Problem;
  for (const auto& [path, problem] :
       {std::pair{dir.File("absent.nmea"), kNotFound}, {dir.File("folder.nmea"), kCannotOpen}, {locked, kCannotOpen},
        {dir.File("loop.nmea"), kCannotOpen}, {dir.File("loop.nmea/x"), kCannotOpen}, {"/dev/zero", kNotAFile}}) {
    if (path == locked && geteuid() == 0) continue;  // root reads every file
    testing::RecordingProgress progress;
    const Loaded<GpsLog> log = ReadGpsLog(path, progress);
    ASSERT_FALSE(log.ok()) << path;
    EXPECT_EQ(log.Error->Kind, problem) << path;
    EXPECT_EQ(log.Error->Reason.empty(), problem != kCannotOpen) << path;
    EXPECT_TRUE(log.Value.Lines.empty() && progress.events.empty()) << path;
  }
}

// Only position and fix sentences ("$", two capital letters, "RMC," or "GGA,") are kept,
// unchanged and in file order. Bytes that are not UTF-8 (a Shift_JIS comment, line noise) are
// not converted: the buffer is the file, and a damaged sentence keeps the bytes its checksum was
// made of. Every hundredth line is reported.
TEST(ReadGpsLog, KeepsPositionAndFixSentencesAsTheyAre) {
  std::string content = kGga + "\r\n$GPGSV,3,1,11,01,02,003,40*70\r\n$GNRMC,1,A*00   \r\n$gprmc,150928,A\r\n" +
                        " $GPRMC,150928,A\r\n# \x82\xA0\x82\xA2 $GPRMC,\r\n" + kRmc + "\r\n$GPGGA,1\xFF,\r\n$INGGA,\r\n" +
                        "$GPRMC\r\n$GPRMCX,\r\n$GpRMC,1\r\n$G1RMC,1\r\n$RMC,1\r\nGPRMC,1\r\n$\r\n$BDGGA,x\r\n";
  for (int i = 18; i < 250; ++i) content += "$GPGSV," + std::to_string(i) + "\r";
  testing::TempDir dir;
  testing::RecordingProgress progress;
  const Loaded<GpsLog> log = ReadGpsLog(dir.Write("log.nmea", content), progress);
  ASSERT_TRUE(log.ok());
  EXPECT_EQ(log.Value.Bytes->view(), content);
  EXPECT_THAT(Kept(log.Value), ElementsAre(kGga, "$GNRMC,1,A*00   ", kRmc, "$GPGGA,1\xFF,", "$INGGA,", "$BDGGA,x"));
  EXPECT_THAT(progress.events, ElementsAre("lines 100", "lines 200"));
}

TEST(ReadGpsLog, LinesEndAtCrLfLoneCrOrLoneLf) {
  const std::string r = kRmc, g = kGga;
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {r + "\r\n" + g + "\r\n", {r, g}},
      {r + "\n" + g + "\n", {r, g}},
      {r + "\r" + g + "\r", {r, g}},
      {r + "\r\n\n" + g + "\r\r\n" + r + "\n", {r, g, r}},
      {r + "\r\n" + g, {r, g}},
      {"\xEF\xBB\xBF" + r, {r}},
      {"", {}},
  };
  testing::TempDir dir;
  for (const auto& [content, kept] : cases) {
    NoProgress progress;
    const Loaded<GpsLog> log = ReadGpsLog(dir.Write("log.nmea", content), progress);
    ASSERT_TRUE(log.ok());
    EXPECT_EQ(Kept(log.Value), kept) << ::testing::PrintToString(content);
  }
}

}  // namespace
}  // namespace routelet
