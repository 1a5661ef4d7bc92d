// Real receiver logs (tests/data/nmea, see LICENSES.md there) read and built into tracks.
// Expected counts, times and distances were worked out separately from the files themselves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/recording_front_end.h"
#include "track/parse_track.h"
#include "track/read_gps_log.h"
#include "track_test_support.h"

namespace routelet {
namespace {

using testing::RecordingFrontEnd;
using testing::ScopedTimeZone;

const std::filesystem::path kLogDir = std::filesystem::path(ROUTELET_TEST_DATA_DIR) / "nmea";

struct Track {
  LogLineList lines;
  std::vector<TrackRecord> records;
  TrackSummary summary;
};

// Reads and builds a log; expects both to succeed without a message.
void Build(const std::filesystem::path& path, Track& track) {
  RecordingFrontEnd ui;
  ASSERT_TRUE(ReadGpsLog(path.string(), ui, track.lines)) << path;
  EXPECT_TRUE(ui.messages.empty()) << path;
  track.summary.ResetSpan();
  ParseTrack(track.lines, track.records, track.summary);
}

// What must hold for any log, however damaged.
void ExpectSoundTrack(const Track& t) {
  EXPECT_LE(t.records.size(), t.lines.size());
  double dist = 0;
  for (std::size_t i = 0; i < t.records.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    const TrackRecord& r = t.records[i];
    EXPECT_FALSE(r.Lat == 0 && r.Lng == 0);
    EXPECT_LE(std::fabs(r.Lat), 90);
    EXPECT_LE(std::fabs(r.Lng), 180);
    EXPECT_GE(r.Dist, dist);
    dist = r.Dist;
    EXPECT_TRUE(std::isfinite(r.Speed) && r.Speed >= 0) << r.Speed;
    EXPECT_EQ(r.TimeText.size(), 19u) << r.TimeText;
    if (r.UnixTime != 0) {
      EXPECT_GE(r.UnixTime, t.summary.MinTime);
      EXPECT_LE(r.UnixTime, t.summary.MaxTime);
    }
  }
  EXPECT_EQ(t.summary.TotalDist, dist);
  EXPECT_TRUE(std::isfinite(t.summary.AvgSpeed) && t.summary.AvgSpeed >= 0);
}

TEST(RealLogs, EveryLogBuildsASoundTrack) {
  ScopedTimeZone zone("UTC");
  int logs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kLogDir)) {
    if (entry.path().extension() != ".nmea") continue;
    SCOPED_TRACE(entry.path().filename().string());
    Track track;
    Build(entry.path(), track);
    EXPECT_FALSE(track.records.empty());
    ExpectSoundTrack(track);
    ++logs;
  }
  EXPECT_GE(logs, 8);
}

struct LogFacts {
  const char* file;
  std::size_t keptLines;
  std::size_t records;
  std::int64_t firstTime;  // of the first and last record
  std::int64_t lastTime;
  std::int64_t minTime;
  std::int64_t maxTime;
  const char* firstText;  // in UTC
  double minKm;           // the total distance lies in [minKm, maxKm]
  double maxKm;
};

const LogFacts kFacts[] = {
    // Standing still: steps below 3 m count as none.
    {"gprmc-integer-seconds-southern-garmin48-crlf.nmea", 14, 7, 991867988, 991868014, 991867988,
     991868014, "2001/06/06 22:53:08", 0, 0},
    // 22 position sentences without a fix at start-up make no point.
    {"gnrmc-rx210-void-startup-crlf.nmea", 123, 40, 1459708862, 1459708901, 1459708862,
     1459708901, "2016/04/03 18:41:02", 0, 0.031},
    {"gpgga-bad-checksums-firefly-crlf.nmea", 46, 23, 1278550787, 1278550809, 1278550787,
     1278550809, "2010/07/08 00:59:47", 0, 0.003},
    // Each fix twice ($GPRMC and $GARMC): one point per fix.
    {"garmc-gprmc-duplicate-talkers-telit-crlf.nmea", 40, 10, 1756960539, 1756960548,
     1756960539, 1756960548, "2025/09/04 04:35:39", 0, 0.001},
    // LF line ends, $IN talker, and time going back from 194124 to 194111.
    {"inrmc-boat-time-backwards-humminbird-lf.nmea", 25, 17, 1158435661, 1158435679, 1158435661,
     1158435683, "2006/09/16 19:41:01", 0.075, 0.086},
    {"gnrmc-truncated-last-line-no-eol.nmea", 1, 1, 1615026967, 1615026967, 1615026967,
     1615026967, "2021/03/06 10:36:07", 0, 0},
    // Garbled, spliced and cut sentences: one fix survives.
    {"gprmc-corrupt-lines-coldboot-gp320fw.nmea", 32, 1, 1554595425, 1554595425, 1554595425,
     1554595425, "2019/04/07 00:03:45", 0, 0},
    {"gprmc-1hz-aircraft-descent-head-crlf.nmea", 40, 7, 1490958084, 1490958090, 1490958084,
     1490958090, "2017/03/31 11:01:24", 0.39, 0.40},
};

TEST(RealLogs, GiveTheExpectedTracks) {
  ScopedTimeZone zone("UTC");
  for (const LogFacts& f : kFacts) {
    SCOPED_TRACE(f.file);
    Track t;
    Build(kLogDir / f.file, t);
    EXPECT_EQ(t.lines.size(), f.keptLines);
    ASSERT_EQ(t.records.size(), f.records);
    EXPECT_EQ(t.records.front().UnixTime, f.firstTime);
    EXPECT_EQ(t.records.back().UnixTime, f.lastTime);
    EXPECT_EQ(t.summary.MinTime, f.minTime);
    EXPECT_EQ(t.summary.MaxTime, f.maxTime);
    EXPECT_EQ(t.records.front().TimeText, f.firstText);
    EXPECT_GE(t.summary.TotalDist, f.minKm);
    EXPECT_LE(t.summary.TotalDist, f.maxKm);
  }
}

TEST(RealLogs, FixSentencesWithWrongChecksumsGiveNoAltitude) {
  Track t;
  Build(kLogDir / "gpgga-bad-checksums-firefly-crlf.nmea", t);
  for (const TrackRecord& r : t.records) EXPECT_EQ(r.Alt, 0);
}

TEST(RealLogs, AnAircraftDescentHasAltitudesAndAirSpeeds) {
  Track t;
  Build(kLogDir / "gprmc-1hz-aircraft-descent-head-crlf.nmea", t);
  ASSERT_EQ(t.records.size(), 7u);
  // Each position sentence comes before its own fix sentence, so it carries the one before.
  EXPECT_EQ(t.records[0].Alt, 0);
  EXPECT_EQ(t.records[1].Alt, 2177.0);
  EXPECT_EQ(t.records[6].Alt, 2186.0);
  for (const TrackRecord& r : t.records) {
    EXPECT_GT(r.Speed, 200) << r.TimeText;
    EXPECT_LT(r.Speed, 280) << r.TimeText;
  }
  EXPECT_NEAR(t.summary.AvgSpeed, 0.3985 * 3600 / 6, 3);
}

}  // namespace
}  // namespace routelet
