// Reading a log: checksums, the sentences kept, line endings, unreadable files (real logs: build_track_test.cpp).
#include "track/read_gps_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "support/recording_front_end.h"
#include "support/temp_dir.h"
#include "track/nmea_sentence.h"

namespace routelet {
namespace {

// A usable sentence's body is the line without a matching checksum and the blanks after it;
// without a complete checksum it is the whole line. Empty: a checksum that does not match.
TEST(CheckSentence, AcceptsMatchingOrMissingChecksumsOnly) {
  const std::string real = "$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310317,8.9,E,D";  // a receiver's
  const std::pair<std::string, std::string> cases[] = {
      {real + "*2E", real}, {"$GPGGA,1*4b", "$GPGGA,1"}, {"$GPGGA,1*4C", ""}, {"$GPGGA,2*4b", ""}, {"$GPRMC,1*5G", "$GPRMC,1*5G"},
      {"$GPRMC,,V,,,,,,,,,,N*53  \t", "$GPRMC,,V,,,,,,,,,,N"}, {"$GPGSV,2*7", "$GPGSV,2*7"}, {"$GPRMC,1*56x", "$GPRMC,1*56x"},
  };
  for (const auto& [line, body] : cases) {
    std::string_view got;
    EXPECT_EQ(CheckSentence(line, got) ? std::string(got) : "", body) << line;
  }
}

#ifndef _WIN32  // permissions, symlink loops and /dev/zero are POSIX's
TEST(ReadGpsLog, UnreadableLogsGiveTheirProblemAndNoLines) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.File("folder.nmea"));
  const std::string locked = dir.Write("locked.nmea", "$GPRMC,1\r\n");
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  std::filesystem::create_symlink("loop.nmea", dir.File("loop.nmea"));
  using enum FileError::Problem;
  for (const auto& [path, problem] :
       {std::pair{dir.File("absent.nmea"), kNotFound}, {dir.File("folder.nmea"), kCannotOpen}, {locked, kCannotOpen},
        {dir.File("loop.nmea"), kCannotOpen}, {dir.File("loop.nmea/x"), kCannotOpen}, {"/dev/zero", kNotAFile}}) {
    if (path == locked && geteuid() == 0) continue;  // root reads every file
    NoProgress progress;
    const Loaded<GpsLog> log = ReadGpsLog(path, progress);
    ASSERT_FALSE(log.ok()) << path;
    EXPECT_EQ(std::tuple(log.Error->Kind, log.Error->Reason.empty(), log.Value.Lines.size()),
              std::tuple(problem, problem != kCannotOpen, 0u)) << path;
  }
}
#endif

// Lines end at CR LF, a lone CR or a lone LF. Only position and fix sentences ("$", two capital
// letters, "RMC," or "GGA,") are kept, unchanged and in file order. Bytes that are not UTF-8 (a
// Shift_JIS comment, line noise) are not converted: the buffer is the file, and a damaged
// sentence keeps the bytes its checksum was made of. Every hundredth line is reported.
TEST(ReadGpsLog, KeepsPositionAndFixSentencesAsTheyAre) {
  const std::string r = "$GPRMC,150928,A,3539.1234,N,13945.6789,E,0.0,0.0,051111,,", g = "$GPGGA,1,M,,M,,";
  std::string many;  // lines that are not kept, each ended by a lone CR
  for (int i = 0; i < 250; ++i) many += "$GPGSV," + std::to_string(i) + "\r";
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {r + "\r\n" + g + "\r\n", {r, g}}, {r + "\n" + g + "\n", {r, g}}, {r + "\r" + g + "\r", {r, g}}, {r + "\r\n" + g, {r, g}},
      {r + "\r\n\n" + g + "\r\r\n" + r + "\n", {r, g, r}}, {"\xEF\xBB\xBF" + r, {r}}, {"", {}}, {many + r, {r}},
      {"$GPGSV,3,1,11,01,02,003,40*70\r\n$GNRMC,1,A*00   \r\n$gprmc,150928,A\r\n $GPRMC,150928,A\r\n# \x82\xA0\x82\xA2 $GPRMC,\r\n"
       "$GPGGA,1\xFF,\r\n$INGGA,\r\n$GPRMC\r\n$GPRMCX,\r\n$GpRMC,1\r\n$G1RMC,1\r\n$RMC,1\r\nGPRMC,1\r\n$\r\n$BDGGA,x\r\n",
       {"$GNRMC,1,A*00   ", "$GPGGA,1\xFF,", "$INGGA,", "$BDGGA,x"}},
  };
  testing::TempDir dir;
  testing::RecordingProgress progress;  // only the row of many lines reaches a hundred
  for (const auto& [content, kept] : cases) {
    const Loaded<GpsLog> log = ReadGpsLog(dir.Write("log.nmea", content), progress);
    ASSERT_TRUE(log.ok() && log.Value.Bytes.view() == content) << "the buffer holds the file's bytes";
    EXPECT_EQ(std::vector<std::string>(log.Value.Lines.begin(), log.Value.Lines.end()), kept) << ::testing::PrintToString(content);
  }
  EXPECT_EQ(progress.events, (std::vector<std::string>{"lines 100", "lines 200"}));
}

}  // namespace
}  // namespace routelet
