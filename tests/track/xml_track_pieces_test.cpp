// A GPX file read in pieces on several threads gives what one reading gives: the same points,
// segments, stop and progress, wherever the cuts fall (inside comments, CDATA, a damaged point).
#include "track/xml_track_pieces.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "support/gzipped.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"
#include "track/read_track.h"

namespace routelet {
namespace {

struct Reading {
  std::vector<std::tuple<std::int64_t, double, double, double, float, bool, std::uint32_t, double, double>> Records;
  std::tuple<std::size_t, XmlStop::Reason, std::uint64_t, bool> Ending;  // points, stop, its line, compression broken
  std::vector<std::string> Progress;
  bool operator==(const Reading&) const = default;
};

Reading Read(const std::string& path, const Parallelism& work, std::size_t blockBytes) {
  testing::RecordingProgress progress;
  const Loaded<LogTrack> log = ReadTrack(path, progress, work, blockBytes);
  EXPECT_TRUE(log.ok()) << path;
  Reading read{{}, {log.Value.KeptLines, log.Value.Xml.What, log.Value.Xml.Line, log.Value.CompressionBroken}, progress.events};
  for (const TrackRecord& r : log.Value.Points.Records) {
    read.Records.emplace_back(r.UnixTime, r.Fraction, r.Lat, r.Lng, r.Alt, r.AltKnown, r.Segment, r.Dist, r.Speed);
  }
  return read;
}

// 160 points on lines of their own, every fifth one repeating the one before, and `between(i)`
// after point i.
std::string Track(const std::string& prefix, const std::function<std::string(int)>& between) {
  const std::string p = prefix.empty() ? "" : prefix + ":";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE gpx>\n<" + p + "gpx" +
                    (p.empty() ? "" : " xmlns:" + prefix + "=\"http://www.topografix.com/GPX/1/1\"") + ">\n<" + p +
                    "trk><" + p + "trkseg>\n";
  for (int i = 0; i < 160; ++i) {
    const int at = i % 5 == 4 ? i - 1 : i;
    xml += "<" + p + "trkpt lat=\"35." + std::to_string(at) + "\" lon=\"139." + std::to_string(at * 7) + "\">";
    if (at % 3 != 0) xml += "<" + p + "ele>" + std::to_string(at) + ".5</" + p + "ele>";
    if (at % 11 != 0) xml += "<" + p + "time>2024-05-01T00:" + std::to_string(10 + at / 60) + ":" + std::to_string(10 + at % 60 / 2) + "Z</" + p + "time>";
    xml += "</" + p + "trkpt>\n" + between(i);
  }
  return xml + "</" + p + "trkseg></" + p + "trk></" + p + "gpx>\n";
}

const auto kNothing = [](int) { return std::string(); };

TEST(XmlTrackPieces, GiveWhatOneReadingGivesWhereverTheCutsFall) {
  const std::string plain = Track("", kNothing);
  const std::pair<std::string, std::string> files[] = {
      {"plain", plain},
      {"prefixed", Track("g", kNothing)},
      {"start tags in a comment, CDATA, an instruction", Track("", [](int i) -> std::string {
         if (i % 7 == 0) return "<!-- <trkpt lat=\"9\" lon=\"9\">\n<trkpt lat=\"9\" lon=\"9\"> -->\n";
         if (i % 7 == 1) return "<extensions><![CDATA[<trkpt lat=\"8\" lon=\"8\"/>\n<trkpt lat=\"8\" lon=\"8\"/>]]></extensions>\n";
         if (i % 7 == 2) return "<?note <trkpt lat=\"7\" lon=\"7\"/> ?>\n";
         return "";
       })},
      {"a deeper point", Track("", [](int i) { return i % 7 == 3 ? "<extensions>\n<trkpt lat=\"6\" lon=\"6\"/></extensions>\n" : ""; })},
      {"segments", Track("", [](int i) -> std::string {
         // Points at the same depth as the others, in another element.
         if (i % 17 == 5) return "</trkseg></trk>\n<rte><trkseg>\n";
         if (i % 17 == 9) return "</trkseg></rte>\n<trk><trkseg>\n";
         if (i % 5 == 3) return "</trkseg><trkseg>\n";
         if (i % 9 == 0) return "</trkseg><trkseg/>\n<trkseg>\n";
         if (i % 13 == 0 && (i % 17 < 5 || i % 17 > 9)) return "</trkseg></trk>\n<trk><trkseg>\n";
         return "";
       })},
      {"damaged", Track("", [](int i) { return i == 100 ? "<ele>1</elx>\n" : ""; })},
      {"broken attribute", Track("", [](int i) { return i == 120 ? "<x a=\"<trkpt \"/>\n" : ""; })},
      {"cut short", plain.substr(0, plain.size() * 7 / 10)},
  };
  const Parallelism works[] = {{2, 7}, {3, 61}, {2, 500}, {1, 2000}};
  testing::TempDir dir;
  for (const auto& [name, xml] : files) {
    const std::string path = dir.Write("track.gpx", xml);
    for (const std::size_t block : {std::size_t{64}, std::size_t{1000}, kLogWindowBytes}) {
      const Reading whole = Read(path, {1, 0}, block);
      ASSERT_GT(std::get<0>(whole.Ending), 100u) << name;
      for (const Parallelism& work : works) {
        EXPECT_TRUE(Read(path, work, block) == whole) << name << ": blocks of " << block << ", pieces of " << work.ChunkItems;
      }
    }
    // Compressed, the file is read in one piece, with the same points.
    const Reading gzipped = Read(dir.Write("track.gpx.gz", testing::Gzipped(xml, 0)), {2, 7}, kLogWindowBytes);
    EXPECT_EQ(gzipped.Records, Read(path, {1, 0}, kLogWindowBytes).Records) << name;
  }
}

}  // namespace
}  // namespace routelet
