// Reading a log: the sentences kept, line endings, checksums and errors; then the real receiver
// logs under tests/data/nmea (see LICENSES.md there) built into tracks, with counts, times and
// distances worked out separately from the files themselves.
#include "track/read_gps_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "support/recording_front_end.h"
#include "support/temp_dir.h"
#include "track/nmea_sentence.h"
#include "track/parse_track.h"
#include "track_test_support.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

const std::string kRmc = "$GPRMC,150928,A,3539.1234,N,13945.6789,E,0.0,0.0,051111,,";
const std::string kGga = "$GPGGA,150928,3539.1234,N,13945.6789,E,1,08,1.0,123.45,M,,M,,";

TEST(KindOfSentence, KnowsPositionAndFixSentencesOfEveryTalker) {
  using enum SentenceKind;
  const std::pair<std::string_view, SentenceKind> cases[] = {
      {kRmc, kPosition},    {"$GNRMC,", kPosition}, {"$INRMC,194101,A", kPosition}, {kGga, kFix},
      {"$BDGGA,x", kFix},   {"$GPGSV,3,1", kOther}, {"$GPRMC", kOther},             {"$GPRMCX,", kOther},
      {"$gprmc,1", kOther}, {"$GpRMC,1", kOther},   {"$G1RMC,1", kOther},           {"$RMC,1", kOther},
      {" $GPRMC,1", kOther}, {"GPRMC,1", kOther},   {"$", kOther},                  {"", kOther},
  };
  for (const auto& [line, kind] : cases) EXPECT_EQ(KindOfSentence(line), kind) << line;
}

TEST(CheckSentence, AcceptsMatchingOrMissingChecksumsOnly) {
  const struct {
    std::string_view line;
    bool usable;
    std::string_view body;
  } cases[] = {
      // Real sentences with their receivers' checksums, in either letter case, blanks after.
      {"$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310317,8.9,E,D*2E", true,
       "$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310317,8.9,E,D"},
      {"$GNRMC,103607.00,A,5327.03942,N,00214.42462,W,0.046,,060321,,,A,V*0f", true,
       "$GNRMC,103607.00,A,5327.03942,N,00214.42462,W,0.046,,060321,,,A,V"},
      {"$GPRMC,,V,,,,,,,,,,N*53  \t", true, "$GPRMC,,V,,,,,,,,,,N"},
      // A receiver's wrong checksum, and a sentence damaged in one digit.
      {"$GPGGA,005947.00,3715.6616,N,12157.6709,W,,11,0.8,86.0,M,-30.1,M,,*54", false, ""},
      {"$GPRMC,110124,A,5505.330990,N,03858.587325,E,152.6,86.2,310318,8.9,E,D*2E", false, ""},
      // Without a complete checksum the sentence is taken as it is.
      {"$GPGSV,2,2,08,19,13,277,,*7", true, "$GPGSV,2,2,08,19,13,277,,*7"},
      {"$GPRMC,,V,,,,,,,,,,N*5G", true, "$GPRMC,,V,,,,,,,,,,N*5G"},
      {"$GPRMC,,V,,,,,,,,,,N*53x", true, "$GPRMC,,V,,,,,,,,,,N*53x"},
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

// Only position and fix sentences are kept, unchanged and in file order. Bytes that are not
// UTF-8 (a Shift_JIS comment, line noise) are not converted: the buffer is the file, and a
// damaged sentence keeps the bytes its checksum was made of. Every hundredth line is reported.
TEST_F(ReadGpsLogTest, KeepsPositionAndFixSentencesAsTheyAre) {
  std::string content = kGga + "\r\n$GPGSV,3,1,11,01,02,003,40*70\r\n$GNRMC,1,A*00   \r\n$gprmc,150928,A\r\n" +
                        " $GPRMC,150928,A\r\n# \x82\xA0\x82\xA2 $GPRMC,\r\n" + kRmc + "\r\n$GPGGA,1\xFF,\r\n$INGGA,\r\n";
  for (int i = 9; i < 250; ++i) content += "$GPGSV," + std::to_string(i) + "\r";
  ASSERT_TRUE(Read(content));
  EXPECT_EQ(list.buffer, content);
  EXPECT_THAT(Kept(), ElementsAre(kGga, "$GNRMC,1,A*00   ", kRmc, "$GPGGA,1\xFF,", "$INGGA,"));
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

TEST(RealLogs, GiveTheExpectedSoundTracks) {
  testing::ScopedTimeZone zone("UTC");
  const struct {
    const char* file;
    std::size_t keptLines, records;
    std::int64_t firstTime, lastTime, maxTime;  // of the first and the last record; the span's end
    const char* firstText;                      // in UTC
    double minKm, maxKm;                        // the total distance lies in [minKm, maxKm]
    double maxAlt;                              // metres, of the highest record
  } facts[] = {
      // Standing still: steps below 3 m count as none.
      {"gprmc-integer-seconds-southern-garmin48-crlf.nmea", 14, 7, 991867988, 991868014, 991868014,
       "2001/06/06 22:53:08", 0, 0, 14.7},
      // 22 position sentences without a fix at start-up make no point.
      {"gnrmc-rx210-void-startup-crlf.nmea", 123, 40, 1459708862, 1459708901, 1459708901,
       "2016/04/03 18:41:02", 0, 0.031, 167.8},
      // Every fix sentence has a wrong checksum: no altitude.
      {"gpgga-bad-checksums-firefly-crlf.nmea", 46, 23, 1278550787, 1278550809, 1278550809,
       "2010/07/08 00:59:47", 0, 0.003, 0},
      // Each fix twice ($GPRMC and $GARMC): one point per fix.
      {"garmc-gprmc-duplicate-talkers-telit-crlf.nmea", 40, 10, 1756960539, 1756960548, 1756960548,
       "2025/09/04 04:35:39", 0, 0.001, 250.8},
      // LF line ends, $IN talker, and time going back from 194124 to 194111.
      {"inrmc-boat-time-backwards-humminbird-lf.nmea", 25, 17, 1158435661, 1158435679, 1158435683,
       "2006/09/16 19:41:01", 0.075, 0.086, 268.5},
      {"gnrmc-truncated-last-line-no-eol.nmea", 1, 1, 1615026967, 1615026967, 1615026967,
       "2021/03/06 10:36:07", 0, 0, 0},
      // Garbled, spliced and cut sentences: one fix survives.
      {"gprmc-corrupt-lines-coldboot-gp320fw.nmea", 32, 1, 1554595425, 1554595425, 1554595425,
       "2019/04/07 00:03:45", 0, 0, 460},
      // An aircraft at about 240 km/h.
      {"gprmc-1hz-aircraft-descent-head-crlf.nmea", 40, 7, 1490958084, 1490958090, 1490958090,
       "2017/03/31 11:01:24", 0.39, 0.40, 2186},
  };
  const std::filesystem::path folder = std::filesystem::path(ROUTELET_TEST_DATA_DIR) / "nmea";
  for (const auto& f : facts) {
    SCOPED_TRACE(f.file);
    testing::RecordingFrontEnd ui;
    LogLineList lines;
    std::vector<TrackRecord> records;
    TrackSummary summary;
    ASSERT_TRUE(ReadGpsLog((folder / f.file).string(), ui, lines));
    EXPECT_TRUE(ui.messages.empty());
    ParseTrack(lines, records, summary);
    EXPECT_EQ(lines.size(), f.keptLines);
    ASSERT_EQ(records.size(), f.records);
    EXPECT_EQ(records.front().UnixTime, f.firstTime);
    EXPECT_EQ(records.back().UnixTime, f.lastTime);
    EXPECT_EQ(summary.MinTime, f.firstTime);
    EXPECT_EQ(summary.MaxTime, f.maxTime);
    EXPECT_EQ(records.front().TimeText, f.firstText);
    EXPECT_GE(summary.TotalDist, f.minKm);
    EXPECT_LE(summary.TotalDist, f.maxKm);
    double dist = 0, maxAlt = 0;
    for (const TrackRecord& r : records) {
      SCOPED_TRACE(r.TimeText);
      EXPECT_FALSE(r.Lat == 0 && r.Lng == 0);
      EXPECT_TRUE(std::fabs(r.Lat) <= 90 && std::fabs(r.Lng) <= 180);
      EXPECT_GE(r.Dist, dist);
      dist = r.Dist;
      maxAlt = std::max(maxAlt, r.Alt);
      EXPECT_TRUE(r.Speed >= 0 && r.Speed < 300) << r.Speed;
    }
    EXPECT_EQ(summary.TotalDist, dist);
    EXPECT_FLOAT_EQ(maxAlt, f.maxAlt);
  }
  // Every log in the folder has its facts above.
  EXPECT_EQ(std::count_if(std::filesystem::directory_iterator(folder), {},
                          [](const auto& entry) { return entry.path().extension() == ".nmea"; }),
            std::ssize(facts));
}

}  // namespace
}  // namespace routelet
