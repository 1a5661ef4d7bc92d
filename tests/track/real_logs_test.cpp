// Real receiver logs (tests/data/nmea, see LICENSES.md there) read and built into tracks.
// Expected counts, times and distances were worked out separately from the files themselves.
#include <gtest/gtest.h>

#include <algorithm>
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

const std::filesystem::path kLogDir = std::filesystem::path(ROUTELET_TEST_DATA_DIR) / "nmea";

struct Track {
  LogLineList lines;
  std::vector<TrackRecord> records;
  TrackSummary summary;
};

// Reads and builds a log; expects both to succeed without a message.
void Build(const std::string& file, Track& t) {
  testing::RecordingFrontEnd ui;
  ASSERT_TRUE(ReadGpsLog((kLogDir / file).string(), ui, t.lines));
  EXPECT_TRUE(ui.messages.empty());
  t.summary.ResetSpan();
  ParseTrack(t.lines, t.records, t.summary);
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
      {"gprmc-1hz-aircraft-descent-head-crlf.nmea", 40, 7, 1490958084, 1490958090, 1490958090,
       "2017/03/31 11:01:24", 0.39, 0.40, 2186},
  };
  for (const auto& f : facts) {
    SCOPED_TRACE(f.file);
    Track t;
    Build(f.file, t);
    EXPECT_EQ(t.lines.size(), f.keptLines);
    ASSERT_EQ(t.records.size(), f.records);
    EXPECT_EQ(t.records.front().UnixTime, f.firstTime);
    EXPECT_EQ(t.records.back().UnixTime, f.lastTime);
    EXPECT_EQ(t.summary.MinTime, f.firstTime);
    EXPECT_EQ(t.summary.MaxTime, f.maxTime);
    EXPECT_EQ(t.records.front().TimeText, f.firstText);
    EXPECT_GE(t.summary.TotalDist, f.minKm);
    EXPECT_LE(t.summary.TotalDist, f.maxKm);
    EXPECT_TRUE(std::isfinite(t.summary.AvgSpeed) && t.summary.AvgSpeed >= 0);
    double dist = 0, maxAlt = 0;
    for (const TrackRecord& r : t.records) {
      SCOPED_TRACE(r.TimeText);
      EXPECT_FALSE(r.Lat == 0 && r.Lng == 0);
      EXPECT_LE(std::fabs(r.Lat), 90);
      EXPECT_LE(std::fabs(r.Lng), 180);
      EXPECT_GE(r.Dist, dist);
      dist = r.Dist;
      maxAlt = std::max<double>(maxAlt, r.Alt);
      EXPECT_TRUE(std::isfinite(r.Speed) && r.Speed >= 0) << r.Speed;
    }
    EXPECT_EQ(t.summary.TotalDist, dist);
    EXPECT_FLOAT_EQ(maxAlt, f.maxAlt);
  }
  // Every log in the folder has its facts above.
  const auto logs = std::count_if(std::filesystem::directory_iterator(kLogDir), {},
                                  [](const auto& entry) { return entry.path().extension() == ".nmea"; });
  EXPECT_EQ(logs, std::ssize(facts));
}

TEST(RealLogs, AnAircraftDescentHasAltitudesAndAirSpeeds) {
  Track t;
  Build("gprmc-1hz-aircraft-descent-head-crlf.nmea", t);
  ASSERT_EQ(t.records.size(), 7u);
  // Each position sentence comes before its own fix sentence, so it carries the one before.
  EXPECT_EQ(t.records[0].Alt, 0);
  EXPECT_EQ(t.records[1].Alt, 2177.0);
  for (const TrackRecord& r : t.records) {
    EXPECT_GT(r.Speed, 200) << r.TimeText;
    EXPECT_LT(r.Speed, 280) << r.TimeText;
  }
  EXPECT_NEAR(t.summary.AvgSpeed, 0.3985 * 3600 / 6, 3);
}

}  // namespace
}  // namespace routelet
