// Building the track: positions, times, altitudes, distances and speeds, and the real receiver
// logs under tests/data/nmea (see LICENSES.md there) against facts worked out from the files.
#include "track/build_track.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "output/record_item.h"
#include "runtime/progress.h"
#include "support/temp_dir.h"
#include "track/read_gps_log.h"
#include "track/utc_offset.h"

namespace routelet {
namespace {

constexpr const char* kWorkedLocalText = "2011/11/06 00:09:28";  // 2011-11-05 15:09:28 UTC, Unix 1320505768
const std::string kNorth = "3540.0000";  // 0.8766' (1.6233 km) north of the worked example
const std::filesystem::path kData = std::filesystem::path(ROUTELET_TEST_DATA_DIR) / "nmea";

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

// The track of the sentences, kept as the log reader keeps them (views, without line ends), with
// local times in `zone`.
Track Build(const std::vector<std::string>& sentences, const char* zone = "Asia/Tokyo") {
  const ScopedTimeZone local(zone);
  return BuildTrack(GpsLog{{}, {sentences.begin(), sentences.end()}});
}

// The record a sentence makes after the worked example, as "lat lng Unix-time local-time". Only
// exactly "S" or "W" negates; a fraction of a second is not rounded up; parts out of range carry
// over; other time or date forms make an untimed record: Unix time 0, the latest timed text.
TEST(BuildTrack, PositionTimeAndDateFields) {
  const std::string at = "35.666667 139.761315 ", untimed = at + "0 " + kWorkedLocalText;
  const std::pair<Rmc, std::string> cases[] = {
      {{.lat = kNorth, .ns = "S"}, "-" + at + "1320505768 2011/11/06 00:09:28"},
      {{.lat = kNorth, .ew = "W"}, "35.666667 -139.761315 1320505768 2011/11/06 00:09:28"},
      {{.lat = kNorth, .ns = "s", .ew = "w"}, at + "1320505768 2011/11/06 00:09:28"},
      {{.time = "150928.75", .lat = kNorth, .ns = "S ", .ew = "W "}, at + "1320505768 2011/11/06 00:09:28"},
      {{.time = "000000", .lat = kNorth, .date = "000000"}, at + "943920000 1999/11/30 09:00:00"},
      {{.time = "246000", .lat = kNorth}, at + "1320541200 2011/11/06 10:00:00"},
      {{.lat = kNorth, .date = "051311"}, at + "1325776168 2012/01/06 00:09:28"},
      {{.time = "031408", .lat = kNorth, .date = "190138"}, at + "2147483648 2038/01/19 12:14:08"},  // past 32 bits
      {{.time = "", .lat = kNorth}, untimed}, {{.time = "150928.", .lat = kNorth}, untimed}, {{.time = "15092", .lat = kNorth}, untimed},
      {{.time = "150928.5x", .lat = kNorth}, untimed}, {{.lat = kNorth, .date = ""}, untimed},
  };
  for (const auto& [sentence, expected] : cases) {
    const TrackRecord r = Build({Rmc{}, sentence}).Records.at(1);
    EXPECT_EQ(std::to_string(r.Lat) + " " + std::to_string(r.Lng) + " " + std::to_string(r.UnixTime) + " " + DateText(r.LocalTime), expected);
  }
  // The UTC text keeps the fraction's digits as the log wrote them, up to 15; none when untimed.
  for (const auto& [time, iso] : {std::pair{"150928.75", "2011-11-05T15:09:28.75Z"}, {"150928.10", "2011-11-05T15:09:28.10Z"},
                                  {"150928.0000000000000019", "2011-11-05T15:09:28.000000000000001Z"},
                                  {"150928.999999999999999", "2011-11-05T15:09:28.999999999999999Z"}, {"", ""}}) {
    EXPECT_EQ(IsoTimeText(Build({Rmc{.time = time}}).Records.at(0)), iso) << time;
  }
  // With no timed record before it: day serial 0 in local time, and the span stays empty.
  const Track first = Build({Rmc{.time = ""}});
  EXPECT_EQ(DateText(first.Records.at(0).LocalTime), "1899/12/30 09:00:00");
  EXPECT_FALSE(first.Span.Contains(0) || first.Span.Contains(1320505768));
}

// The latest fix sentence's altitude, as a float; an empty field reads as 0, unknown. A fix with
// too few fields, a wrong checksum or a number no float holds changes nothing.
TEST(BuildTrack, FixSentencesCarryTheirAltitudeAsAFloat) {
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

// Sentences that follow the worked example (nmea/sentences.tsv: what, the sentences, records,
// total km). One that makes no record leaves the span, the latest time text and the distance as
// they were (a fix at 0, 0 would add thousands of km). A fix is a repeat only when its time,
// fraction of a second included, and its position are the record's before it.
TEST(BuildTrack, WhichPositionSentencesMakeRecords) {
  for (const auto& row : testing::ReadRows(kData / "sentences.tsv")) {
    std::vector<std::string> sentences{Rmc{}};
    for (std::istringstream in(row.at(1)); in >> sentences.emplace_back();) {}
    sentences.pop_back();  // the failed read's
    const Track track = Build(sentences);
    EXPECT_EQ(std::to_string(track.Records.size()), row.at(2)) << row[0];
    EXPECT_EQ(DateText(track.Records.back().LocalTime) + " " + std::to_string(track.Span.MinTime) + "-" + std::to_string(track.Span.MaxTime),
              "2011/11/06 00:09:28 1320505768-1320505768") << row[0];
    EXPECT_NEAR(track.TotalDist, std::stod(row.at(3)), 1e-4) << row[0];
  }
}

// Points on the equator, where a minute of longitude is 20000 / 180 / 60 km. A speed is the
// distance between the point's neighbours (its one at an end) over the time between them; 0 when
// either is untimed or time does not move forward. The average is the whole distance over the
// first to the last timed point. Steps under about 2.85 m still count.
TEST(BuildTrack, DistancesAddUpAndSpeedsAreCentred) {
  // "time@longitude (dddmm.mmmm)" of each point, speeds (km/h), total km, average km/h
  const std::tuple<std::vector<std::string>, std::vector<double>, double, double> cases[] = {
      {{"120000@0", "130000@100", "150000@400"}, {111.111111, 148.148148, 166.666667}, 444.444444, 148.148148},
      {{"120000.6@0", "120000.8@0.01", "120001.0@0.02"}, {333.333333, 333.333333, 333.333333}, 0.037037037, 333.333333},
      {{"120000@0", "120001@0.001", "120002@0.002"}, {6.6666667, 6.6666667, 6.6666667}, 0.0037037037, 6.6666667},
      {{"120000@0", "120000@1", "115950@2"}, {0, 0, 0}, 3.703703704, 0},  // time stands, then steps back
      {{"@0", "120000@1", "@2", "120200@3", "@4"}, {0, 0, 111.111111, 0, 0}, 7.407407407, 222.222222},
  };
  for (const auto& [points, speeds, totalKm, averageKmh] : cases) {
    std::vector<std::string> sentences;
    for (const std::string& p : points) sentences.push_back(Rmc{.time = p.substr(0, p.find('@')), .lat = "0", .lng = p.substr(p.find('@') + 1)});
    const Track track = Build(sentences);
    ASSERT_EQ(track.Records.size(), points.size()) << points[1];
    for (std::size_t i = 0; i < speeds.size(); ++i) EXPECT_NEAR(track.Records[i].Speed, speeds[i], 2e-5 * speeds[i]) << points[1];
    EXPECT_NEAR(track.TotalDist, totalKm, 2e-5 * totalKm) << points[1];
    EXPECT_NEAR(track.AvgSpeed, averageKmh, 2e-5 * averageKmh) << points[1];
  }
}

// Each fix gets the offset of its own instant, across the change to summer time.
TEST(BuildTrack, LocalTimesFollowTheZonesDaylightSavingRules) {
  const Track track = Build({Rmc{.time = "120000", .date = "150124"}, Rmc{.time = "120000", .date = "150724"},
                             Rmc{.time = "005959", .date = "310324"}, Rmc{.time = "010000", .date = "310324"},
                             Rmc{.time = "", .lat = kNorth, .date = "310324"}},
                            "Europe/Berlin");
  std::vector<std::string> texts;
  for (const TrackRecord& r : track.Records) texts.push_back(DateText(r.LocalTime));
  EXPECT_EQ(texts, (std::vector<std::string>{"2024/01/15 13:00:00", "2024/07/15 14:00:00", "2024/03/31 01:59:59",
                                             "2024/03/31 03:00:00", "2024/03/31 03:00:00"}));
}

// The real logs (nmea/expected.tsv: file, lines kept, records, Unix times of the first and the
// last record and of the span's ends, the least and the most total km, the highest altitude).
TEST(RealLogs, GiveTheExpectedTracks) {
  const auto rows = testing::ReadRows(kData / "expected.tsv");
  EXPECT_EQ(rows.size(), 8u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.at(0) + ": " + row.at(10));
    NoProgress progress;
    const Loaded<GpsLog> log = ReadGpsLog((kData / row[0]).string(), progress);
    const Track track = BuildTrack(log.Value);
    ASSERT_FALSE(track.Records.empty());
    std::string facts;
    for (auto n : {std::int64_t(log.Value.Lines.size()), std::int64_t(track.Records.size()), track.Records.front().UnixTime,
                   track.Records.back().UnixTime, track.Span.MinTime, track.Span.MaxTime}) facts += std::to_string(n) + " ";
    EXPECT_EQ(facts, row[1] + " " + row[2] + " " + row[3] + " " + row[4] + " " + row[5] + " " + row[6] + " ");
    EXPECT_TRUE(track.TotalDist >= std::stod(row[7]) && track.TotalDist <= std::stod(row[8])) << track.TotalDist;
    double highest = 0;
    for (const TrackRecord& r : track.Records) highest = std::max(highest, r.Alt);
    EXPECT_FLOAT_EQ(highest, std::stod(row[9]));
  }
}

}  // namespace
}  // namespace routelet
