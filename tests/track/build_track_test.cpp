// Building the track: positions, times, altitudes, distances and speeds, and the real receiver
// logs under tests/data/nmea (see LICENSES.md there) with facts worked out from the files.
#include "track/build_track.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "output/record_item.h"
#include "runtime/progress.h"
#include "track/read_gps_log.h"

namespace routelet {
namespace {

constexpr std::int64_t kWorkedUnixTime = 1320505768;  // 2011-11-05 15:09:28 UTC
constexpr const char* kWorkedLocalText = "2011/11/06 00:09:28";

// A position sentence; by default the worked example.
struct Rmc {
  std::string time = "150928", lat = "3539.1234", ns = "N", lng = "13945.6789", ew = "E";
  std::string date = "051111", status = "A", talker = "GP";

  operator std::string() const {
    return "$" + talker + "RMC," + time + "," + status + "," + lat + "," + ns + "," + lng + "," + ew + ",0.0,0.0," + date + ",,,A";
  }
};

std::string Gga(const std::string& altitude, const std::string& talker = "GP") {
  return "$" + talker + "GGA,150928,3539.1234,N,13945.6789,E,1,08,1.0," + altitude + ",M,,M,,";
}

// The track of the sentences, kept as the log reader keeps them (views, without line ends).
Track Build(const std::vector<std::string>& sentences) {
  return BuildTrack(GpsLog{nullptr, {sentences.begin(), sentences.end()}});
}

// Local times are in Japan time unless a test picks another zone; no other test here reads TZ.
class BuildTrackTest : public ::testing::Test {
 protected:
  static void UseZone(const char* zone) { setenv("TZ", zone, 1), tzset(); }
  void SetUp() override { UseZone("Asia/Tokyo"); }
  void TearDown() override { unsetenv("TZ"), tzset(); }
};

// The worked example's position in every hemisphere: only exactly "S" or "W" negates.
TEST_F(BuildTrackTest, HemisphereLetters) {
  for (const auto& [ns, ew, latSign, lngSign] :
       {std::tuple{"N", "E", 1, 1}, {"S", "E", -1, 1}, {"N", "W", 1, -1}, {"s", "w", 1, 1}, {"S ", "W ", 1, 1}}) {
    const Track track = Build({Rmc{.ns = ns, .ew = ew}});
    ASSERT_EQ(track.Records.size(), 1u) << ns << ew;
    EXPECT_DOUBLE_EQ(track.Records[0].Lat, latSign * 35.652056666666667) << ns;
    EXPECT_DOUBLE_EQ(track.Records[0].Lng, lngSign * 139.761315) << ew;
  }
}

// Each form follows the worked example (at another place, so it repeats no fix). An untimed
// record has Unix time 0, the latest timed text, no UTC text, and leaves the span alone. The UTC
// text keeps the fraction's digits as the log wrote them, up to 15.
TEST_F(BuildTrackTest, TimeAndDateFields) {
  // time field, date field, Unix time (0: untimed), local time text, UTC text
  const std::tuple<const char*, const char*, std::int64_t, const char*, const char*> cases[] = {
      {"150928.75", "051111", kWorkedUnixTime, kWorkedLocalText, "2011-11-05T15:09:28.75Z"},  // not rounded up
      {"150928.10", "051111", kWorkedUnixTime, kWorkedLocalText, "2011-11-05T15:09:28.10Z"},
      {"150928.00", "051111", kWorkedUnixTime, kWorkedLocalText, "2011-11-05T15:09:28.00Z"},
      {"150928.0000000000000019", "051111", kWorkedUnixTime, kWorkedLocalText, "2011-11-05T15:09:28.000000000000001Z"},
      {"150928.999999999999999", "051111", kWorkedUnixTime, kWorkedLocalText, "2011-11-05T15:09:28.999999999999999Z"},
      {"000000", "000000", 943920000, "1999/11/30 09:00:00", "1999-11-30T00:00:00Z"},  // parts carry over
      {"246000", "051111", 1320541200, "2011/11/06 10:00:00", "2011-11-06T01:00:00Z"},
      {"150928", "051311", 1325776168, "2012/01/06 00:09:28", "2012-01-05T15:09:28Z"},
      {"031408", "190138", 2147483648, "2038/01/19 12:14:08", "2038-01-19T03:14:08Z"},  // past 32-bit Unix time
      {"", "051111", 0, kWorkedLocalText, ""},
      {"150928.", "051111", 0, kWorkedLocalText, ""},
      {"15092", "051111", 0, kWorkedLocalText, ""},
      {"150928.5x", "051111", 0, kWorkedLocalText, ""},
      {"150928.5", "", 0, kWorkedLocalText, ""},
  };
  for (const auto& [time, date, unixTime, localText, utcText] : cases) {
    SCOPED_TRACE(std::string(time) + " " + date);
    const Track track = Build({Rmc{}, Rmc{.time = time, .lat = "3540.0000", .date = date}});
    ASSERT_EQ(track.Records.size(), 2u);
    EXPECT_EQ(track.Records[1].UnixTime, unixTime);
    EXPECT_EQ(TimeText(track.Records[1]), localText);
    EXPECT_EQ(IsoTimeText(track.Records[1]), utcText);
    const std::int64_t t = unixTime == 0 ? kWorkedUnixTime : unixTime;
    EXPECT_EQ(track.Span.MinTime, std::min(t, kWorkedUnixTime));
    EXPECT_EQ(track.Span.MaxTime, std::max(t, kWorkedUnixTime));
  }
  // With no timed record before it: day serial 0 in local time, and the span stays empty.
  const Track untimed = Build({Rmc{.time = ""}});
  ASSERT_EQ(untimed.Records.size(), 1u);
  EXPECT_EQ(TimeText(untimed.Records[0]), "1899/12/30 09:00:00");
  EXPECT_FALSE(untimed.Span.Contains(0) || untimed.Span.Contains(kWorkedUnixTime));
}

// An altitude is known from a fix sentence with an altitude on; an empty field reads as 0, unknown.
TEST_F(BuildTrackTest, FixSentencesCarryTheirAltitudeAsAFloat) {
  // A fix with too few fields, a wrong checksum or a number no float holds changes nothing.
  const Track track = Build({Rmc{.time = "150900"}, Gga("123.45"), Rmc{.time = "150901"},
                             "$GPGGA,150928,3539.1234,N,13945.6789,E,1,08,1.0", Rmc{.time = "150902"},
                             Gga("999.0") + "*00", Rmc{.time = "150903"}, Gga("1e39"), Rmc{.time = "150904"},
                             Gga("-5.5", "GN"), Rmc{.time = "150905"}, Gga(""), Rmc{.time = "150906"},
                             Gga("1e39"), Rmc{.time = "150907"}, Gga("0"), Rmc{.time = "150908"}});
  std::vector<std::pair<double, bool>> altitudes;
  for (const TrackRecord& r : track.Records) altitudes.emplace_back(r.Alt, r.AltKnown);
  const double a = 123.44999694824219;
  EXPECT_EQ(altitudes, (std::vector<std::pair<double, bool>>{{0, false}, {a, true}, {a, true}, {a, true}, {a, true},
                                                             {-5.5, true}, {0, false}, {0, false}, {0, true}}));
}

// Which position sentences make a record. Each row follows the worked example; a sentence that
// makes none leaves the span, the latest time text and the distance as they were (a fix at 0, 0
// would add thousands of km). A fix is skipped as a repeat only when its time, fraction of a
// second included, and its position are those of the record before it.
TEST_F(BuildTrackTest, WhichPositionSentencesMakeRecords) {
  const std::string north = Rmc{.time = "", .lat = "3540.0000"};  // untimed, 0.8766' (1.6233 km) north
  // what, the sentences after the worked example, records, total km
  const std::tuple<const char*, std::vector<std::string>, std::size_t, double> cases[] = {
      {"no fix, though with coordinates", {Rmc{.time = "170000", .status = "V"}, north}, 2, 1.6233},
      {"no latitude", {Rmc{.time = "170001", .lat = ""}, north}, 2, 1.6233},
      {"no longitude", {Rmc{.time = "170002", .lng = ""}, north}, 2, 1.6233},
      {"a latitude too large", {Rmc{.time = "170003", .lat = "12345678901234567890.5"}, north}, 2, 1.6233},
      {"a date too large", {Rmc{.date = "9E9999"}, north}, 2, 1.6233},
      {"nine fields: cut off", {"$GPRMC,170005,A,3539.1234,N,13945.6789,E,0.0,0.0", north}, 2, 1.6233},
      {"a wrong checksum", {std::string(Rmc{.time = "170006"}) + "*00", north}, 2, 1.6233},
      {"the same fix under GN and GA", {Rmc{.talker = "GN"}, Rmc{.talker = "GA"}}, 1, 0},
      {"the same second at another place", {Rmc{.lat = "3540.0000", .talker = "GN"}}, 2, 1.6233},
      {"a still 5 Hz log: fixes sharing a second",
       {Rmc{.time = "150928.20"}, Rmc{.time = "150928.40"}, Rmc{.time = "150928.60"}, Rmc{.time = "150928.80"}}, 5, 0},
      {"untimed fixes at one place", {north, north}, 3, 1.6233},
  };
  for (const auto& [what, after, records, km] : cases) {
    SCOPED_TRACE(what);
    std::vector<std::string> sentences{Rmc{}};
    sentences.insert(sentences.end(), after.begin(), after.end());
    const Track track = Build(sentences);
    EXPECT_EQ(track.Records.size(), records);
    EXPECT_EQ(TimeText(track.Records.back()), kWorkedLocalText);
    EXPECT_TRUE(track.Span.MinTime == kWorkedUnixTime && track.Span.MaxTime == kWorkedUnixTime);
    EXPECT_NEAR(track.TotalDist, km, 1e-4);
  }
}

// Points on the equator, where a minute of longitude is 20000 / 180 / 60 km. A speed is the
// distance between the point's neighbours (its one neighbour at an end) over the time between
// them; 0 when either is untimed or time does not move forward. The average is the whole
// distance over the first to the last timed point. Steps under about 2.85 m still count.
TEST_F(BuildTrackTest, DistancesAddUpAndSpeedsAreCentred) {
  using Points = std::vector<std::pair<const char*, const char*>>;  // time, longitude (dddmm.mmmm)
  // what, points, speeds (km/h), total km, average km/h
  const std::tuple<const char*, Points, std::vector<double>, double, double> cases[] = {
      {"hourly fixes", {{"120000", "00000.0000"}, {"130000", "00100.0000"}, {"150000", "00400.0000"}},
       {111.111111, 148.148148, 166.666667}, 444.444444, 148.148148},
      {"5 Hz across a whole second", {{"120000.6", "00000.0000"}, {"120000.8", "00000.0100"}, {"120001.0", "00000.0200"}},
       {333.333333, 333.333333, 333.333333}, 0.037037037, 333.333333},
      {"a walk at 1 Hz, 1.85 m a step", {{"120000", "00000.0000"}, {"120001", "00000.0010"}, {"120002", "00000.0020"}},
       {6.6666667, 6.6666667, 6.6666667}, 0.0037037037, 6.6666667},
      {"two fixes of one second", {{"120000", "00000.0000"}, {"120000", "00001.0000"}}, {0, 0}, 1.851851852, 0},
      {"a clock stepping back", {{"120000", "00000.0000"}, {"115950", "00001.0000"}}, {0, 0}, 1.851851852, 0},
      {"untimed neighbours", {{"", "00000.0000"}, {"120000", "00001.0000"}, {"", "00002.0000"},
                              {"120200", "00003.0000"}, {"", "00004.0000"}},
       {0, 0, 111.111111, 0, 0}, 7.407407407, 222.222222},
  };
  for (const auto& [what, points, speeds, totalKm, averageKmh] : cases) {
    SCOPED_TRACE(what);
    std::vector<std::string> sentences;
    for (const auto& [time, lng] : points) sentences.push_back(Rmc{.time = time, .lat = "0000.0000", .lng = lng});
    const Track track = Build(sentences);
    ASSERT_EQ(track.Records.size(), points.size());
    for (std::size_t i = 0; i < speeds.size(); ++i) EXPECT_NEAR(track.Records[i].Speed, speeds[i], 2e-5 * speeds[i]) << i;
    EXPECT_NEAR(track.TotalDist, totalKm, 2e-5 * totalKm);
    EXPECT_EQ(track.Records.back().Dist, track.TotalDist);
    EXPECT_NEAR(track.AvgSpeed, averageKmh, 2e-5 * averageKmh);
  }
}

// Each fix gets the offset of its own instant, across the change to summer time.
TEST_F(BuildTrackTest, LocalTimesFollowTheZonesDaylightSavingRules) {
  UseZone("Europe/Berlin");
  const Track track = Build({Rmc{.time = "120000", .date = "150124"}, Rmc{.time = "120000", .date = "150724"},
                             Rmc{.time = "005959", .date = "310324"}, Rmc{.time = "010000", .date = "310324"},
                             Rmc{.time = "", .lat = "3540.0000", .date = "310324"}});
  std::vector<std::string> texts;
  for (const TrackRecord& r : track.Records) texts.push_back(TimeText(r));
  EXPECT_EQ(texts, (std::vector<std::string>{"2024/01/15 13:00:00", "2024/07/15 14:00:00", "2024/03/31 01:59:59",
                                             "2024/03/31 03:00:00", "2024/03/31 03:00:00"}));
}

TEST(RealLogs, GiveTheExpectedTracks) {
  // file, kept lines, records, times of the first and the last record, the span's end, the least
  // and the most total km, the highest record's altitude (m)
  const std::tuple<const char*, std::size_t, std::size_t, std::int64_t, std::int64_t, std::int64_t, double, double, double>
      facts[] = {
      // In order: standing still; 22 position sentences without a fix at start-up; every fix
      // sentence with a wrong checksum (no altitude); each fix under two talkers (one point per
      // fix); LF endings, $IN talker, time going back from 194124 to 194111; a cut last line;
      // garbled, spliced and cut sentences; an aircraft at about 240 km/h.
      {"gprmc-integer-seconds-southern-garmin48-crlf.nmea", 14, 7, 991867988, 991868014, 991868014, 0, 0, 14.7},
      {"gnrmc-rx210-void-startup-crlf.nmea", 123, 40, 1459708862, 1459708901, 1459708901, 0, 0.031, 167.8},
      {"gpgga-bad-checksums-firefly-crlf.nmea", 46, 23, 1278550787, 1278550809, 1278550809, 0, 0.003, 0},
      {"garmc-gprmc-duplicate-talkers-telit-crlf.nmea", 40, 10, 1756960539, 1756960548, 1756960548, 0, 0.001, 250.8},
      {"inrmc-boat-time-backwards-humminbird-lf.nmea", 25, 17, 1158435661, 1158435679, 1158435683, 0.075, 0.086, 268.5},
      {"gnrmc-truncated-last-line-no-eol.nmea", 1, 1, 1615026967, 1615026967, 1615026967, 0, 0, 0},
      {"gprmc-corrupt-lines-coldboot-gp320fw.nmea", 32, 1, 1554595425, 1554595425, 1554595425, 0, 0, 460},
      {"gprmc-1hz-aircraft-descent-head-crlf.nmea", 40, 7, 1490958084, 1490958090, 1490958090, 0.39, 0.40, 2186},
  };
  const std::filesystem::path folder = std::filesystem::path(ROUTELET_TEST_DATA_DIR) / "nmea";
  for (const auto& [file, keptLines, records, firstTime, lastTime, maxTime, minKm, maxKm, maxAlt] : facts) {
    SCOPED_TRACE(file);
    NoProgress progress;
    const Loaded<GpsLog> log = ReadGpsLog((folder / file).string(), progress);
    ASSERT_TRUE(log.ok());
    EXPECT_EQ(log.Value.Lines.size(), keptLines);
    const Track track = BuildTrack(log.Value);
    ASSERT_EQ(track.Records.size(), records);
    EXPECT_EQ((std::vector{track.Records.front().UnixTime, track.Records.back().UnixTime, track.Span.MinTime, track.Span.MaxTime}),
              (std::vector{firstTime, lastTime, firstTime, maxTime}));
    EXPECT_TRUE(track.TotalDist >= minKm && track.TotalDist <= maxKm) << track.TotalDist;
    double highest = 0;
    for (const TrackRecord& r : track.Records) highest = std::max(highest, r.Alt);
    EXPECT_FLOAT_EQ(highest, maxAlt);
  }
}

}  // namespace
}  // namespace routelet
