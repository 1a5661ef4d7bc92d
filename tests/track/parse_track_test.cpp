#include "track/parse_track.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "track/great_circle.h"
#include "track_test_support.h"

namespace routelet {
namespace {

constexpr std::int64_t kWorkedUnixTime = 1320505768;  // 2011-11-05 15:09:28 UTC
constexpr const char* kWorkedLocalText = "2011/11/06 00:09:28";
constexpr double kWorkedLat = 35.652056666666667;
constexpr double kWorkedLng = 139.761315;

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

// A point on the equator at longitude `lng` (dddmm.mmmm east), at `time` on 2011-11-05.
std::string OnEquator(const char* time, const char* lng) {
  return Rmc{.time = time, .lat = "0000.0000", .lng = lng};
}

class ParseTrackTest : public ::testing::Test {
 protected:
  // Keeps the sentences as the log reader would (views into one buffer) and builds the track.
  std::size_t Parse(const std::vector<std::string>& sentences) {
    list.buffer.clear();
    list.lines.clear();
    for (const std::string& sentence : sentences) list.buffer += sentence + "\r\n";
    std::size_t start = 0;
    for (const std::string& sentence : sentences) {
      list.lines.emplace_back(list.buffer.data() + start, sentence.size());
      start += sentence.size() + 2;
    }
    summary.ResetSpan();
    const std::size_t n = ParseTrack(list, records, summary);
    EXPECT_EQ(n, records.size());
    return n;
  }

  testing::ScopedTimeZone tokyo{"Asia/Tokyo"};
  LogLineList list;
  std::vector<TrackRecord> records;
  TrackSummary summary;
};

TEST_F(ParseTrackTest, WorkedExample) {
  ASSERT_EQ(Parse({Rmc{}}), 1u);
  const TrackRecord& r = records[0];
  EXPECT_EQ(r.UnixTime, kWorkedUnixTime);
  EXPECT_EQ(r.TimeText, kWorkedLocalText);
  EXPECT_DOUBLE_EQ(r.Lat, kWorkedLat);
  EXPECT_DOUBLE_EQ(r.Lng, kWorkedLng);
  EXPECT_EQ(r.Alt, 0);
  EXPECT_EQ(summary.MinTime, kWorkedUnixTime);
  EXPECT_EQ(summary.MaxTime, kWorkedUnixTime);
  EXPECT_EQ(summary.TotalDist, 0);
  EXPECT_EQ(summary.AvgSpeed, 0);
}

TEST_F(ParseTrackTest, TimedFieldsGiveWholeSecondsAndTheFraction) {
  const struct {
    const char *time, *date;
    std::int64_t unixTime;
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.time) + " " + c.date);
    ASSERT_EQ(Parse({Rmc{.time = c.time, .date = c.date}}), 1u);
    EXPECT_EQ(records[0].UnixTime, c.unixTime);
    EXPECT_DOUBLE_EQ(records[0].Fraction, c.fraction);
    EXPECT_EQ(records[0].TimeText, c.localText);
    EXPECT_EQ(summary.MaxTime, c.unixTime);
  }
}

TEST_F(ParseTrackTest, OtherTimeFormsMakeUntimedRecordsWithTheLatestTimedText) {
  const std::pair<const char*, const char*> untimed[] = {
      {"", "051111"},          {"150928.", "051111"}, {"15092", "051111"},
      {"1509281", "051111"},   {"150928.5x", "051111"}, {"15:09:28", "051111"},
      {"150928", ""},          {"150928", "51111"},   {"150928", "0511111"},
  };
  for (const auto& [time, date] : untimed) {
    SCOPED_TRACE(std::string(time) + " " + date);
    ASSERT_EQ(Parse({Rmc{}, Rmc{.time = time, .lat = "3540.0000", .date = date}}), 2u);
    EXPECT_EQ(records[1].UnixTime, 0);
    EXPECT_EQ(records[1].TimeText, kWorkedLocalText);
    EXPECT_EQ(summary.MinTime, kWorkedUnixTime);
    EXPECT_EQ(summary.MaxTime, kWorkedUnixTime);
  }
  // With no timed record before it: day serial 0 in local time.
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

TEST_F(ParseTrackTest, OnlyExactlySOrWNegates) {
  const struct {
    const char *ns, *ew;
    double latSign, lngSign;
  } cases[] = {{"S", "E", -1, 1}, {"N", "W", 1, -1}, {"s", "w", 1, 1}, {"S ", "W ", 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("[") + c.ns + "] [" + c.ew + "]");
    ASSERT_EQ(Parse({Rmc{.ns = c.ns, .ew = c.ew}}), 1u);
    EXPECT_DOUBLE_EQ(records[0].Lat, c.latSign * kWorkedLat);
    EXPECT_DOUBLE_EQ(records[0].Lng, c.lngSign * kWorkedLng);
  }
}

TEST_F(ParseTrackTest, UnusablePositionSentencesAreSkippedAndChangeNothing) {
  const std::vector<std::string> unusable = {
      Rmc{.time = "170000", .status = "V"},  // no fix, though with coordinates
      Rmc{.time = "170001", .lat = ""},
      Rmc{.time = "170002", .lng = ""},
      Rmc{.time = "170003", .lat = "12345678901234567890.5"},
      Rmc{.time = "170004", .lng = "-12345678901234567890"},
      Rmc{.time = "1E9999"},
      Rmc{.date = "9E9999"},
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
}

TEST_F(ParseTrackTest, EveryTalkerCountsButTheSameFixTwiceIsOnePoint) {
  ASSERT_EQ(Parse({Gga("42.5", "GN"), Rmc{.talker = "GN"}, Rmc{.time = "150929", .talker = "IN"}}), 2u);
  EXPECT_EQ(records[0].Alt, 42.5);
  EXPECT_EQ(records[1].UnixTime, kWorkedUnixTime + 1);
  // A receiver reporting each fix as $GPRMC and as $GARMC.
  EXPECT_EQ(Parse({Rmc{}, Rmc{.talker = "GA"}, Rmc{.time = "150929"}}), 2u);
  // A different position at the same time, or the same position later, is a new point.
  EXPECT_EQ(Parse({Rmc{}, Rmc{.lat = "3540.0000", .talker = "GA"}}), 2u);
  EXPECT_EQ(Parse({Rmc{}, Rmc{.time = "150929"}}), 2u);
}

TEST_F(ParseTrackTest, DistancesAddUpAndSpeedsAreCentred) {
  ASSERT_EQ(Parse({OnEquator("120000", "00000.0000"), OnEquator("130000", "00100.0000"),
                   OnEquator("150000", "00300.0000")}),
            3u);
  EXPECT_EQ(records[0].Dist, 0);
  EXPECT_DOUBLE_EQ(records[1].Dist, 111.111111111099);
  EXPECT_DOUBLE_EQ(records[2].Dist, 111.111111111099 + GreatCircleKm(0, 1, 0, 3));
  EXPECT_EQ(summary.TotalDist, records[2].Dist);
  EXPECT_DOUBLE_EQ(records[0].Speed, records[1].Dist * 3600 / 3600);
  EXPECT_DOUBLE_EQ(records[1].Speed, records[2].Dist * 3600 / 10800);
  EXPECT_DOUBLE_EQ(records[2].Speed, (records[2].Dist - records[1].Dist) * 3600 / 7200);
  EXPECT_DOUBLE_EQ(summary.AvgSpeed, records[2].Dist * 3600 / 10800);
}

TEST_F(ParseTrackTest, FractionsOfASecondTimeTheSpeeds) {
  // 5 Hz: 0.2 s between fixes, across a whole second.
  ASSERT_EQ(Parse({OnEquator("120000.6", "00000.0000"), OnEquator("120000.8", "00000.0100"),
                   OnEquator("120001.0", "00000.0200")}),
            3u);
  EXPECT_EQ(records[2].UnixTime, records[0].UnixTime + 1);
  EXPECT_NEAR(records[0].Speed, records[1].Dist * 3600 / 0.2, 1e-6);
  EXPECT_NEAR(records[1].Speed, records[2].Dist * 3600 / 0.4, 1e-6);
  EXPECT_NEAR(summary.AvgSpeed, records[2].Dist * 3600 / 0.4, 1e-6);
  EXPECT_GT(records[1].Speed, 300);  // 18.5 m in 0.2 s
}

TEST_F(ParseTrackTest, SpeedsWithoutAForwardTimeDifferenceAreZero) {
  // Two fixes of the same second, and a clock that steps back.
  for (const char* second : {"120000", "115950"}) {
    SCOPED_TRACE(second);
    ASSERT_EQ(Parse({OnEquator("120000", "00000.0000"), OnEquator(second, "00001.0000")}), 2u);
    EXPECT_GT(records[1].Dist, 1);
    EXPECT_EQ(records[0].Speed, 0);
    EXPECT_EQ(records[1].Speed, 0);
    EXPECT_EQ(summary.AvgSpeed, 0);
    EXPECT_EQ(summary.MinTime, records[1].UnixTime);
  }
}

TEST_F(ParseTrackTest, UntimedRecordsGiveNoSpeedToTheirNeighbours) {
  ASSERT_EQ(Parse({OnEquator("", "00000.0000"), OnEquator("120000", "00001.0000"),
                   OnEquator("", "00002.0000"), OnEquator("120200", "00003.0000"),
                   OnEquator("", "00004.0000")}),
            5u);
  // An untimed record between two timed ones is timed through them; the others have no speed.
  EXPECT_DOUBLE_EQ(records[2].Speed, (records[3].Dist - records[1].Dist) * 3600 / 120);
  for (int i : {0, 1, 3, 4}) EXPECT_EQ(records[i].Speed, 0) << i;
  // The average runs from the first timed record to the last, over the whole distance.
  EXPECT_DOUBLE_EQ(summary.AvgSpeed, summary.TotalDist * 3600 / 120);
}

TEST_F(ParseTrackTest, NoRecordsGiveZeroTotalsAndTheSpanIsOnlyWidened) {
  summary.TotalDist = 5;
  summary.AvgSpeed = 7;
  records.resize(3);
  EXPECT_EQ(Parse({Gga("12.0"), "$GPRMC,,V,,,,,,,,,,N*53"}), 0u);
  EXPECT_EQ(summary.TotalDist, 0);
  EXPECT_EQ(summary.AvgSpeed, 0);
  EXPECT_EQ(summary.MinTime, TrackSummary::kEmptyMinTime);
  ASSERT_EQ(Parse({Rmc{}}), 1u);
  summary.MinTime = 1000;
  summary.MaxTime = 3000000000;
  ASSERT_EQ(ParseTrack(list, records, summary), 1u);
  EXPECT_EQ(summary.MinTime, 1000);
  EXPECT_EQ(summary.MaxTime, 3000000000);
}

// Each fix gets the offset of its own instant, across the change to summer time.
TEST_F(ParseTrackTest, LocalTimesFollowTheZonesDaylightSavingRules) {
  testing::ScopedTimeZone berlin("Europe/Berlin");
  ASSERT_EQ(Parse({Rmc{.time = "120000", .date = "150124"}, Rmc{.time = "120000", .date = "150724"},
                   Rmc{.time = "005959", .date = "310324"}, Rmc{.time = "010000", .date = "310324"},
                   Rmc{.time = "", .lat = "3540.0000", .date = "310324"}}),
            5u);
  const char* expected[] = {"2024/01/15 13:00:00", "2024/07/15 14:00:00", "2024/03/31 01:59:59",
                            "2024/03/31 03:00:00", "2024/03/31 03:00:00"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(records[i].TimeText, expected[i]) << i;
}

}  // namespace
}  // namespace routelet
