// Building the track: positions, times, altitudes, distances and speeds; the distances on the
// sphere and the UTC offsets the track uses; and the real receiver logs under tests/data/nmea
// (see LICENSES.md there) read and built, with counts, times and distances worked out
// separately from the files themselves.
#include "track/parse_track.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "support/recording_front_end.h"
#include "track/great_circle.h"
#include "track/read_gps_log.h"
#include "track/utc_offset.h"

namespace routelet {
namespace {

// Sets TZ (as the C library reads it) for the life of the object, then restores the old value.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = getenv("TZ")) previous_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    previous_ ? setenv("TZ", previous_->c_str(), 1) : unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> previous_;
};

constexpr std::int64_t kWorkedUnixTime = 1320505768;  // 2011-11-05 15:09:28 UTC
constexpr const char* kWorkedLocalText = "2011/11/06 00:09:28";

// A position sentence; by default the worked example.
struct Rmc {
  std::string time = "150928", lat = "3539.1234", ns = "N", lng = "13945.6789", ew = "E";
  std::string date = "051111", status = "A", talker = "GP";

  operator std::string() const {
    return "$" + talker + "RMC," + time + "," + status + "," + lat + "," + ns + "," + lng + "," +
           ew + ",0.0,0.0," + date + ",,,A";
  }
};

std::string Gga(const std::string& altitude, const std::string& talker = "GP") {
  return "$" + talker + "GGA,150928,3539.1234,N,13945.6789,E,1,08,1.0," + altitude + ",M,,M,,";
}

class ParseTrackTest : public ::testing::Test {
 protected:
  // Keeps the sentences as the log reader would (views, without line ends) and builds the track.
  std::size_t Parse(const std::vector<std::string>& sentences) {
    kept = sentences;
    list.lines.assign(kept.begin(), kept.end());
    summary.ResetSpan();
    const std::size_t n = ParseTrack(list, records, summary);
    EXPECT_EQ(n, records.size());
    return n;
  }

  ScopedTimeZone tokyo{"Asia/Tokyo"};
  std::vector<std::string> kept;
  LogLineList list;
  std::vector<TrackRecord> records;
  TrackSummary summary;
};

// The worked example, and the hemisphere letters: only exactly "S" or "W" negates.
TEST_F(ParseTrackTest, WorkedExampleInEveryHemisphere) {
  const struct {
    const char *ns, *ew;
    double latSign, lngSign;
  } cases[] = {{"N", "E", 1, 1}, {"S", "E", -1, 1}, {"N", "W", 1, -1}, {"s", "w", 1, 1}, {"S ", "W ", 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("[") + c.ns + "] [" + c.ew + "]");
    ASSERT_EQ(Parse({Rmc{.ns = c.ns, .ew = c.ew}}), 1u);
    EXPECT_DOUBLE_EQ(records[0].Lat, c.latSign * 35.652056666666667);
    EXPECT_DOUBLE_EQ(records[0].Lng, c.lngSign * 139.761315);
    EXPECT_EQ(records[0].UnixTime, kWorkedUnixTime);
    EXPECT_EQ(records[0].TimeText, kWorkedLocalText);
    EXPECT_EQ(records[0].Alt, 0);
    EXPECT_EQ(summary.MinTime, kWorkedUnixTime);
    EXPECT_EQ(summary.MaxTime, kWorkedUnixTime);
    EXPECT_EQ(summary.TotalDist, 0);
    EXPECT_EQ(summary.AvgSpeed, 0);
  }
}

// Each form follows the worked example (at another place, so it repeats no fix). An untimed
// record has Unix time 0, the latest timed text, and leaves the span alone.
TEST_F(ParseTrackTest, TimeAndDateFields) {
  const struct {
    const char *time, *date;
    std::int64_t unixTime;  // 0: untimed
    double fraction;
    const char* localText;
  } cases[] = {
      {"150928.75", "051111", kWorkedUnixTime, 0.75, kWorkedLocalText},  // not rounded up
      {"150928.408", "051111", kWorkedUnixTime, 0.408, kWorkedLocalText},
      // Parts out of range carry into the next unit.
      {"000000", "000000", 943920000, 0, "1999/11/30 09:00:00"},
      {"246000", "051111", 1320541200, 0, "2011/11/06 10:00:00"},
      {"150928", "051311", 1325776168, 0, "2012/01/06 00:09:28"},
      // Past the 32-bit range of Unix time.
      {"031408", "190138", 2147483648, 0, "2038/01/19 12:14:08"},
      {"000000", "010140", 2208988800, 0, "2040/01/01 09:00:00"},
      {"", "051111", 0, 0, kWorkedLocalText},        {"150928.", "051111", 0, 0, kWorkedLocalText},
      {"15092", "051111", 0, 0, kWorkedLocalText},   {"1509281", "051111", 0, 0, kWorkedLocalText},
      {"150928.5x", "051111", 0, 0, kWorkedLocalText}, {"15:09:28", "051111", 0, 0, kWorkedLocalText},
      {"150928", "", 0, 0, kWorkedLocalText},        {"150928", "51111", 0, 0, kWorkedLocalText},
      {"150928", "0511111", 0, 0, kWorkedLocalText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.time) + " " + c.date);
    ASSERT_EQ(Parse({Rmc{}, Rmc{.time = c.time, .lat = "3540.0000", .date = c.date}}), 2u);
    EXPECT_EQ(records[1].UnixTime, c.unixTime);
    EXPECT_DOUBLE_EQ(records[1].Fraction, c.fraction);
    EXPECT_EQ(records[1].TimeText, c.localText);
    const std::int64_t t = c.unixTime == 0 ? kWorkedUnixTime : c.unixTime;
    EXPECT_EQ(summary.MinTime, std::min(t, kWorkedUnixTime));
    EXPECT_EQ(summary.MaxTime, std::max(t, kWorkedUnixTime));
  }
  // With no timed record before it: day serial 0 in local time, and the span stays empty.
  ASSERT_EQ(Parse({Rmc{.time = ""}}), 1u);
  EXPECT_EQ(records[0].TimeText, "1899/12/30 09:00:00");
  EXPECT_EQ(summary.MinTime, TrackSummary::kEmptyMinTime);
  EXPECT_EQ(summary.MaxTime, TrackSummary::kEmptyMaxTime);
}

TEST_F(ParseTrackTest, FixSentencesCarryTheirAltitudeAsAFloat) {
  // A fix with too few fields, a wrong checksum or a number no float holds changes nothing.
  Parse({Rmc{.time = "150900"}, Gga("123.45"), Rmc{.time = "150901"},
         "$GPGGA,150928,3539.1234,N,13945.6789,E,1,08,1.0", Rmc{.time = "150902"},
         Gga("999.0") + "*00", Rmc{.time = "150903"}, Gga("1e39"), Rmc{.time = "150904"},
         Gga("-5.5", "GN"), Rmc{.time = "150905"}});
  std::vector<double> altitudes;
  for (const TrackRecord& r : records) altitudes.push_back(r.Alt);
  EXPECT_EQ(altitudes, (std::vector<double>{0, 123.44999694824219, 123.44999694824219,
                                            123.44999694824219, 123.44999694824219, -5.5}));
}

TEST_F(ParseTrackTest, UnusablePositionSentencesAreSkippedAndChangeNothing) {
  const std::vector<std::string> unusable = {
      Rmc{.time = "170000", .status = "V"},  // no fix, though with coordinates
      Rmc{.time = "170001", .lat = ""}, Rmc{.time = "170002", .lng = ""},
      Rmc{.time = "170003", .lat = "12345678901234567890.5"}, Rmc{.time = "170004", .lng = "-12345678901234567890"},
      Rmc{.time = "1E9999"}, Rmc{.date = "9E9999"},
      "$GPRMC,170006,A,3539.1234,N,13945.6789,E,0.0,0.0",  // nine fields: cut off
      std::string(Rmc{}) + "*00",                          // wrong checksum
      "$GPRMC",
  };
  const std::string untimed = Rmc{.time = "", .lat = "3540.0000"};
  for (const std::string& bad : unusable) {
    SCOPED_TRACE(bad);
    ASSERT_EQ(Parse({Rmc{}, bad, untimed}), 2u);
    EXPECT_EQ(records[1].TimeText, kWorkedLocalText);
    EXPECT_EQ(summary.MinTime, kWorkedUnixTime);
    EXPECT_EQ(summary.MaxTime, kWorkedUnixTime);
    // No point was put between the two (a fix at 0, 0 would add thousands of km).
    EXPECT_NEAR(records[1].Dist, 1.6233, 1e-4);  // 0.8766 minutes of latitude
  }
  // With no record at all the totals are 0.
  summary.TotalDist = summary.AvgSpeed = 5;
  EXPECT_EQ(Parse(unusable), 0u);
  EXPECT_TRUE(summary.TotalDist == 0 && summary.AvgSpeed == 0 && summary.MinTime == TrackSummary::kEmptyMinTime);
}

// Points on the equator. A speed is the distance between the point's neighbours (its one
// neighbour at an end) over the time between them; it is 0 when either is untimed or time does
// not move forward. The average is the whole distance over the first to the last timed point.
TEST_F(ParseTrackTest, DistancesAddUpAndSpeedsAreCentred) {
  struct Span {
    int from, to;
    double seconds;  // 0: no speed
  };
  const struct {
    const char* what;
    std::vector<std::pair<const char*, const char*>> points;  // time, longitude (dddmm.mmmm)
    std::vector<Span> speeds;
    Span average;
  } cases[] = {
      {"hourly fixes", {{"120000", "00000.0000"}, {"130000", "00100.0000"}, {"150000", "00300.0000"}},
       {{0, 1, 3600}, {0, 2, 10800}, {1, 2, 7200}}, {0, 2, 10800}},
      {"5 Hz across a whole second", {{"120000.6", "00000.0000"}, {"120000.8", "00000.0100"}, {"120001.0", "00000.0200"}},
       {{0, 1, 0.2}, {0, 2, 0.4}, {1, 2, 0.2}}, {0, 2, 0.4}},
      {"two fixes of one second", {{"120000", "00000.0000"}, {"120000", "00001.0000"}}, {{}, {}}, {}},
      {"a clock stepping back", {{"120000", "00000.0000"}, {"115950", "00001.0000"}}, {{}, {}}, {}},
      {"untimed neighbours", {{"", "00000.0000"}, {"120000", "00001.0000"}, {"", "00002.0000"}, {"120200", "00003.0000"},
                              {"", "00004.0000"}},
       {{}, {}, {1, 3, 120}, {}, {}}, {0, 4, 120}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> sentences;
    for (const auto& [time, lng] : c.points) sentences.push_back(Rmc{.time = time, .lat = "0000.0000", .lng = lng});
    ASSERT_EQ(Parse(sentences), c.points.size());
    const auto kmh = [&](const Span& s) { return s.seconds == 0 ? 0 : (records[s.to].Dist - records[s.from].Dist) * 3600 / s.seconds; };
    EXPECT_EQ(records[0].Dist, 0);
    for (std::size_t i = 1; i < records.size(); ++i) {
      EXPECT_DOUBLE_EQ(records[i].Dist, records[i - 1].Dist + GreatCircleKm(0, records[i - 1].Lng, 0, records[i].Lng));
    }
    for (std::size_t i = 0; i < records.size(); ++i) EXPECT_NEAR(records[i].Speed, kmh(c.speeds[i]), 1e-6) << i;
    EXPECT_EQ(summary.TotalDist, records.back().Dist);
    EXPECT_NEAR(summary.AvgSpeed, kmh(c.average), 1e-6);
  }
}

// Each fix gets the offset of its own instant, across the change to summer time.
TEST_F(ParseTrackTest, LocalTimesFollowTheZonesDaylightSavingRules) {
  ScopedTimeZone berlin("Europe/Berlin");
  ASSERT_EQ(Parse({Rmc{.time = "120000", .date = "150124"}, Rmc{.time = "120000", .date = "150724"},
                   Rmc{.time = "005959", .date = "310324"}, Rmc{.time = "010000", .date = "310324"},
                   Rmc{.time = "", .lat = "3540.0000", .date = "310324"}}),
            5u);
  const char* expected[] = {"2024/01/15 13:00:00", "2024/07/15 14:00:00", "2024/03/31 01:59:59",
                            "2024/03/31 03:00:00", "2024/03/31 03:00:00"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(records[i].TimeText, expected[i]) << i;
}

// Expected values follow the ten-decimal pi, not true geodesy: a quarter of the equator is
// exactly 10000 km. Steps shorter than about 2.85 m, where the cosine of the angle says
// nothing precise, are measured from the chord, so a slow 1 Hz track keeps its length.
TEST(GreatCircleKm, GivesTheDistanceOfTheSphereBothWays) {
  const struct {
    const char* what;
    double lat1, lng1, lat2, lng2, km;
    double tolerance = 0;  // km; 0 asks for the same double, give or take the last bits
  } cases[] = {
      {"same point", 35.6812, 139.7671, 35.6812, 139.7671, 0},
      {"2.8 m apart, from the chord", 35, 139, 35.000025, 139, 0.0025 * 20000 / 18000, 1e-9},
      {"30 cm apart, from the chord", 35, 139, 35, 139.0000033, 0.0000033 * 20000 / 180 * 0.8191520442889918, 1e-9},
      {"3.3 m apart, from the cosine", 35, 139, 35.00003, 139, 0.003332405292697924},
      {"one degree of the equator", 0, 0, 0, 1, 111.111111111099},
      {"a quarter of the equator", 0, 0, 0, 90, 10000},
      {"cosine below the lower bound", 0, 0, 0, 90.0000000026, 10000},
      {"opposite points", 0, 0, 0, 180, 20000, 1e-6},
      {"2 m short of opposite", 0, 0, 0.00002, 180, 20000 - 0.00002 * 20000 / 180, 1e-6},
      {"Tokyo to Osaka", 35.6812, 139.7671, 34.7025, 135.4959, 402.75450582076144},
      {"across the date line", -45.5, 179.9, -45.5, -179.9, 15.575758208178971},
  };
  for (const auto& c : cases) {
    const double km = GreatCircleKm(c.lat1, c.lng1, c.lat2, c.lng2);
    EXPECT_NEAR(km, c.km, c.tolerance == 0 ? 1e-15 * c.km : c.tolerance) << c.what;
    EXPECT_EQ(GreatCircleKm(c.lat2, c.lng2, c.lat1, c.lng1), km) << c.what;
  }
}

// The cache is asked for every second of a window around a change of offset, forwards or
// backwards, and must agree with the library each time with few lookups of its own; it must
// also follow jumps between seasons, and give 0 for an instant no calendar holds. (Local times
// across a change to summer time are checked through the track above.)
TEST(UtcOffsetCache, AgreesWithTheLibrary) {
  const struct {
    const char* zone;
    std::int64_t change;
    bool backwards;
  } cases[] = {
      {"Europe/Berlin", 1711846800, false},  // 2024-03-31 01:00:00 UTC, to summer time
      {"Europe/Berlin", 1711846800, true},
      {"Europe/Berlin", 1729990800, false},  // 2024-10-27 01:00:00 UTC, to winter time
      {"Australia/Lord_Howe", 1728142200, false},  // 2024-10-05 15:30:00 UTC, +10:30 to +11
      {"Australia/Lord_Howe", 1728142200, true},
  };
  constexpr std::int64_t kWindow = 3 * 3600;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + (c.backwards ? " backwards" : " forwards"));
    ScopedTimeZone zone(c.zone);
    UtcOffsetCache cache;
    int wrong = 0;
    for (std::int64_t step = 0; step <= 2 * kWindow; ++step) {
      const std::int64_t t = c.backwards ? c.change + kWindow - step : c.change - kWindow + step;
      if (cache.OffsetAt(t) != GetUtcOffsetMinutes(t)) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_LT(cache.lookups(), 100);  // 21,601 questions: a handful of stretches, a dozen halvings each
  }
  ScopedTimeZone zone("America/New_York");
  UtcOffsetCache cache;
  const std::int64_t january = 1705320000, july = 1721044800, never = std::numeric_limits<std::int64_t>::max();
  for (const auto& [t, minutes] : {std::pair{january, -300}, {july, -240}, {january + 1, -300}, {never, 0}}) {
    EXPECT_EQ(cache.OffsetAt(t), minutes) << t;
  }
}

TEST(RealLogs, GiveTheExpectedSoundTracks) {
  ScopedTimeZone zone("UTC");
  const struct {
    const char* file;
    std::size_t keptLines, records;
    std::int64_t firstTime, lastTime, maxTime;  // of the first and the last record; the span's end
    const char* firstText;                      // in UTC
    double minKm, maxKm;                        // the total distance lies in [minKm, maxKm]
    double maxAlt;                              // metres, of the highest record
  } facts[] = {
      // Standing still: the same position at every fix.
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
