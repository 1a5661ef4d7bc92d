// XML track files: the points each format gives, whatever pieces the bytes come in, and hostile
// or damaged files stopped with what was read.
#include "track/xml_track.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "track/log_content.h"

namespace routelet {
namespace {

struct Reading {
  std::vector<TrackRecord> Records;
  XmlStop Stop;
};

// The file fed in pieces of `piece` bytes (0: whole).
Reading Read(std::string_view xml, std::size_t piece = 0) {
  XmlTrackReader reader;
  std::string_view rest = xml;
  bool going = true;
  while (going && !rest.empty()) {
    const std::size_t now = piece == 0 ? rest.size() : std::min(piece, rest.size());
    going = reader.Feed(rest.substr(0, now), false);
    rest.remove_prefix(now);
  }
  if (going) reader.Feed({}, true);
  return {reader.Finish().Records, reader.Stop()};
}

std::string Gpx(std::string_view points) {
  return "<?xml version=\"1.0\"?>\n<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>\n" +
         std::string(points) + "</trkseg></trk></gpx>\n";
}

const std::string kEveryFormat[] = {
    Gpx("<trkpt lat=\"35.5\" lon=\"139.25\"><ele>10.5</ele><time>2024-05-01T00:00:00.5Z</time></trkpt>\n"
        "<trkpt lat=\"35.6\" lon=\"139.3\"><time>2024-05-01T09:00:01+09:00</time></trkpt>"),
    "<TrainingCenterDatabase><Activities><Activity><Lap><Track><Trackpoint><Time>2024-05-01T00:00:00.5Z</Time>"
    "<Position><LatitudeDegrees>35.5</LatitudeDegrees><LongitudeDegrees>139.25</LongitudeDegrees></Position>"
    "<AltitudeMeters>10.5</AltitudeMeters></Trackpoint><Trackpoint><Time>2024-05-01T00:00:01Z</Time><Position>"
    "<LatitudeDegrees>35.6</LatitudeDegrees><LongitudeDegrees>139.3</LongitudeDegrees></Position></Trackpoint>"
    "</Track></Lap></Activity></Activities></TrainingCenterDatabase>",
    "<kml xmlns:gx=\"http://www.google.com/kml/ext/2.2\"><Placemark><gx:Track><when>2024-05-01T00:00:00.5Z</when>"
    "<when>2024-05-01T00:00:01Z</when><gx:coord>139.25 35.5 10.5</gx:coord><gx:coord>139.3 35.6</gx:coord>"
    "</gx:Track></Placemark></kml>",
};

// Each piece of a track file is a segment: GPX <trkseg>, TCX <Track>, KML <gx:Track>; one without
// points is none, and the first point of a piece is no distance from the point before.
TEST(XmlTrack, EachPieceOfATrackFileIsASegment) {
  const std::string pieces[] = {
      "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"1\"/><trkpt lat=\"1\" lon=\"2\"/></trkseg><trkseg/><trkseg>"
      "<trkpt lat=\"1\" lon=\"3\"/></trkseg></trk></gpx>",
      "<TrainingCenterDatabase><Lap><Track><Trackpoint><Position><LatitudeDegrees>1</LatitudeDegrees><LongitudeDegrees>1"
      "</LongitudeDegrees></Position></Trackpoint><Trackpoint><Position><LatitudeDegrees>1</LatitudeDegrees><LongitudeDegrees>"
      "2</LongitudeDegrees></Position></Trackpoint></Track><Track/></Lap><Lap><Track><Trackpoint><Position><LatitudeDegrees>1"
      "</LatitudeDegrees><LongitudeDegrees>3</LongitudeDegrees></Position></Trackpoint></Track></Lap></TrainingCenterDatabase>",
      "<kml><gx:MultiTrack><gx:Track><gx:coord>1 1</gx:coord><gx:coord>2 1</gx:coord></gx:Track><gx:Track/><gx:Track>"
      "<gx:coord>3 1</gx:coord></gx:Track></gx:MultiTrack></kml>",
  };
  for (const std::string& xml : pieces) {
    const Reading read = Read(xml);
    ASSERT_EQ(read.Records.size(), 3u) << xml;
    EXPECT_EQ(std::tuple(read.Records[1].Segment, read.Records[2].Segment, read.Records[2].Dist), std::tuple(0u, 1u, 0.0)) << xml;
    EXPECT_GT(read.Records[1].Dist, 100);
  }
}

// Every format gives the same two points, however its bytes are cut: a value split between
// pieces is read whole.
TEST(XmlTrack, EveryFormatGivesItsPointsWhereverTheBytesAreCut) {
  for (const std::string& xml : kEveryFormat) {
    for (std::size_t piece : {0, 1, 7}) {
      const Reading read = Read(xml, piece);
      SCOPED_TRACE(xml.substr(0, 40) + " piece " + std::to_string(piece));
      EXPECT_EQ(read.Stop.What, XmlStop::Reason::kNone);
      ASSERT_EQ(read.Records.size(), 2u);
      const TrackRecord& a = read.Records[0];
      EXPECT_EQ(std::tuple(a.Lat, a.Lng, a.Alt, a.AltKnown, a.UnixTime, a.Fraction, a.FractionDigits),
                std::tuple(35.5, 139.25, 10.5, true, 1714521600, 0.5, 1));
      const TrackRecord& b = read.Records[1];
      EXPECT_EQ(std::tuple(b.Lat, b.Lng, b.AltKnown, b.UnixTime), std::tuple(35.6, 139.3, false, 1714521601));
    }
  }
}

TEST(XmlTrack, TimesOfEveryFormAndTheirZones) {
  const std::pair<const char*, std::int64_t> cases[] = {
      {"2024-05-01T00:00:00Z", 1714521600},      {"2024-05-01T00:00:00", 1714521600},
      {"2024-05-01T09:30:00+09:30", 1714521600}, {"2024-04-30T19:00:00-0500", 1714521600},
      {" 2024-05-01T02:00:00+02 ", 1714521600},  {"2024-05-01", 0},
      {"2024-05-01T00:00:00.Z", 0},              {"2024-05-01T00:00:00+9", 0},
      {"", 0},                                   {"2024-05-01T00:00:00Zjunk", 0},
  };
  for (const auto& [time, unixTime] : cases) {
    const Reading read = Read(Gpx("<trkpt lat=\"1\" lon=\"2\"><time>" + std::string(time) + "</time></trkpt>"));
    ASSERT_EQ(read.Records.size(), 1u) << time;
    EXPECT_EQ(read.Records[0].UnixTime, unixTime) << time;
  }
}

// Route points, waypoints, values outside a point's own elements, and points without a
// position make no track point.
TEST(XmlTrack, OnlyTrackPointsWithAPositionCount) {
  const Reading read = Read(
      "<gpx><wpt lat=\"1\" lon=\"1\"/><rte><rtept lat=\"2\" lon=\"2\"/></rte><trk><trkseg>"
      "<trkpt lat=\"3\" lon=\"3\"><extensions><ele>99</ele><time>2024-05-01T00:00:00Z</time></extensions></trkpt>"
      "<trkpt lat=\"x\" lon=\"3\"/><trkpt lat=\"4\"/><trkpt lat=\"95\" lon=\"3\"/></trkseg></trk></gpx>");
  ASSERT_EQ(read.Records.size(), 1u);
  EXPECT_FALSE(read.Records[0].AltKnown);
  EXPECT_EQ(read.Records[0].UnixTime, 0);
}

// A declared entity stops the reading before anything is expanded; a cut-off file keeps the
// points before the cut; a value of a megabyte is no value, and deep nesting is only nesting.
TEST(XmlTrack, HostileAndDamagedFilesStopWithWhatWasRead) {
  const std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY a \"lol\">\n"
                             "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>\n<gpx>&b;</gpx>";
  EXPECT_EQ(Read(laughs).Stop.What, XmlStop::Reason::kEntities);
  EXPECT_EQ(Read(laughs).Stop.Line, 3u);

  const std::string whole = Gpx("<trkpt lat=\"1\" lon=\"2\"/>\n<trkpt lat=\"3\" lon=\"4\"/>");
  const Reading cut = Read(whole.substr(0, whole.find("<trkpt lat=\"3\"") + 5));
  EXPECT_EQ(cut.Stop.What, XmlStop::Reason::kBroken);
  EXPECT_EQ(cut.Stop.Line, 4u);  // where the second point begins
  EXPECT_EQ(cut.Records.size(), 1u);

  const Reading huge = Read(Gpx("<trkpt lat=\"1\" lon=\"2\"><ele>" + std::string(1 << 20, '1') + "</ele></trkpt>"), 4096);
  ASSERT_EQ(huge.Records.size(), 1u);
  EXPECT_FALSE(huge.Records[0].AltKnown);

  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  const Reading nested = Read(Gpx(deep + "<trkpt lat=\"1\" lon=\"2\"/>"));
  EXPECT_EQ(nested.Stop.What, XmlStop::Reason::kBroken);
  EXPECT_EQ(nested.Records.size(), 1u);
}

TEST(LogContent, ALineOfAnyNmeaSentenceMakesALogOfOne) {
  const std::pair<std::vector<std::string_view>, LogContent> cases[] = {
      {{"$GPGSV,3,1,11*7A\r\n"}, LogContent::kNmea},
      {{"junk\n$PGR", "MZ,93,f,3*21\n"}, LogContent::kNmea},
      {{"$GP,1\n$GPGSV\n x$GPGSV,1\n$1PGSV,\n"}, LogContent::kNoTrack},
      {{"\x0e\x10\xd9\x07.FIT"}, LogContent::kNoTrack},
      {{" \r\n\t\n", ""}, LogContent::kBlank},
  };
  for (const auto& [pieces, content] : cases) {
    SentenceSpotter spotter;
    for (std::string_view piece : pieces) spotter.Feed(piece);
    EXPECT_EQ(spotter.Content(), content) << pieces[0];
  }
}

TEST(XmlTrack, XmlIsToldByItsFirstByte) {
  EXPECT_TRUE(LooksLikeXml("\xEF\xBB\xBF \r\n<?xml"));
  EXPECT_FALSE(LooksLikeXml("$GPRMC,<"));
  EXPECT_FALSE(LooksLikeXml(" \n"));
}

}  // namespace
}  // namespace routelet
