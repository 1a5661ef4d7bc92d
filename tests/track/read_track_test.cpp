// Reading a log straight into its track gives what reading it whole and then building the track
// gives, wherever its chunks and windows cut it, and for a log that changes while it is read.
#include "track/read_track.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "support/awkward_log.h"
#include "support/gzipped.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"
#include "track/build_track.h"
#include "track/read_gps_log.h"

namespace routelet {
namespace {

auto FieldsOf(const TrackRecord& r) {
  return std::tuple(r.UnixTime, r.Fraction, r.LocalTime, r.Lat, r.Lng, r.Alt, r.AltKnown, r.FractionDigits, r.Speed, r.Dist);
}

// Everything a track and its reading tell, to compare in one step.
struct Reading {
  std::vector<decltype(FieldsOf(TrackRecord{}))> Records;
  std::tuple<std::int64_t, std::int64_t, double, double, std::size_t> Totals;  // span, distance, speed, kept lines
  std::vector<std::string> Progress;

  Reading(const Track& track, std::size_t keptLines, std::vector<std::string> progress)
      : Totals(track.Span.MinTime, track.Span.MaxTime, track.TotalDist, track.AvgSpeed, keptLines),
        Progress(std::move(progress)) {
    for (const TrackRecord& record : track.Records) Records.push_back(FieldsOf(record));
  }
  bool operator==(const Reading&) const = default;
};

Reading ReadWhole(const std::string& path) {
  testing::RecordingProgress progress;
  const Loaded<GpsLog> log = ReadGpsLog(path, progress);
  EXPECT_TRUE(log.ok()) << path;
  return Reading(BuildTrack(log.Value), log.Value.size(), progress.events);
}

Reading ReadStraight(const std::string& path, const Parallelism& work, std::size_t windowBytes) {
  testing::RecordingProgress progress;
  const Loaded<LogTrack> log = ReadTrack(path, progress, work, windowBytes);
  EXPECT_TRUE(log.ok()) << path;
  return Reading(log.Value.Points, log.Value.KeptLines, progress.events);
}

// Windows and chunks of a byte and up put their borders inside every line ending (between a CR
// and its LF too), inside the byte-order mark and inside lines longer than a window.
TEST(ReadTrack, GivesWhatReadingTheWholeLogGivesWhereverItIsCut) {
  testing::TempDir dir;
  std::vector<std::string> logs;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(ROUTELET_TEST_DATA_DIR) + "/nmea")) {
    if (entry.path().extension() == ".nmea") logs.push_back(entry.path().string());
  }
  const std::string fix = "$GPRMC,150928,A,3539.1234,N,13945.6789,E,0.0,0.0,051111,,";
  const std::string lines[] = {
      testing::AwkwardLog(400),
      "\xEF\xBB\xBF" + fix + "\r\n" + fix + "\r\n",
      "\xEF\xBB\xBF",
      "",
      fix + "\r" + std::string(300, ',') + "\r\n\r\n" + fix + "\r",  // a line longer than the windows
      "$GPGGA,1,2,3,4,5,6,7,8,9,12.5\n" + fix + "\n" + fix,            // no ending after the last line
      // Long lines that are passed over, not held: a tail of NULs, commas, a sentence's start.
      fix + "\r\n" + std::string(700, '\0'),
      std::string(500, ',') + "\r\n" + fix + "\n$GPGG" + std::string(400, '\0') + "\r" + fix + "\r\r\n",
      fix + std::string(300, ',') + "\n" + std::string(300, '\r') + fix,
  };
  for (const std::string& content : lines) logs.push_back(dir.Write("log" + std::to_string(logs.size()) + ".nmea", content));

  const Parallelism works[] = {{1, 0}, {2, 1}, {3, 7}, {3, 61}, {2, 500}};
  for (const std::string& log : logs) {
    const Reading whole = ReadWhole(log);
    for (const std::size_t window : {std::size_t{1}, std::size_t{3}, std::size_t{64}, kLogWindowBytes}) {
      for (const Parallelism& work : works) {
        EXPECT_TRUE(ReadStraight(log, work, window) == whole)
            << log << ": window " << window << ", " << work.Threads << " threads, chunks of " << work.ChunkItems;
      }
    }
    // Compressed, in members of a few bytes: the inflated bytes come in pieces that small.
    for (const std::size_t memberBytes : {std::size_t{2}, std::size_t{3}, std::size_t{61}, std::size_t{0}}) {
      std::ifstream plain(log, std::ios::binary);
      const std::string text{std::istreambuf_iterator<char>(plain), {}};
      const std::string gz = dir.Write("log.nmea.gz", testing::Gzipped(text, memberBytes));
      EXPECT_TRUE(ReadStraight(gz, {2, 1}, 16) == whole) << log << ": gzip members of " << memberBytes;
    }
  }
}

#ifndef _WIN32  // Windows has no FIFOs in its file system
// A FIFO cannot be read at offsets: it is read whole, as it comes, compressed or not.
TEST(ReadTrack, ReadsAFifoWhole) {
  testing::TempDir dir;
  const std::string content = testing::AwkwardLog(300);
  const Reading whole = ReadWhole(dir.Write("file.nmea", content));
  for (const std::string& bytes : {content, testing::Gzipped(content, 100)}) {
    const std::string fifo = dir.File("log.nmea");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << bytes; });
    const Reading fromFifo = ReadStraight(fifo, {2, 1}, 16);
    writer.join();
    std::filesystem::remove(fifo);
    EXPECT_TRUE(fromFifo == whole);
  }
}
#endif

// The content, not the name, tells what a file is; a regular file and a FIFO of the same bytes
// tell the same. A file that begins with "<" but is no XML is read as the log it may be.
TEST(ReadTrack, TellsWhatAFileHoldsByItsContent) {
  const std::string fix = "$GPRMC,000000,A,3539.1,N,13945.6,E,,,051111,,,A\r\n";
  const std::tuple<std::string, LogContent, std::size_t> cases[] = {
      {"<logger v1>\r\n" + fix, LogContent::kNmea, 1},
      {"$GPGSV,1,1,00*79\r\n", LogContent::kNmea, 0},
      {"", LogContent::kBlank, 0},
      {"\xEF\xBB\xBF\r\n \n", LogContent::kBlank, 0},
      // A build without XML reading tells a file that looks like XML as XML it cannot read.
      {"<p>a page\n", XmlTracksReadable() ? LogContent::kNoTrack : LogContent::kXml, 0},
      {"<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>", LogContent::kXml, XmlTracksReadable() ? 1 : 0},
  };
  testing::TempDir dir;
  const auto expect = [&](const std::string& path, LogContent kind, std::size_t points) {
    testing::RecordingProgress progress;
    const Loaded<LogTrack> log = ReadTrack(path, progress, {2, 1}, 16);
    ASSERT_TRUE(log.ok()) << path;
    EXPECT_EQ(std::tuple(log.Value.Content, log.Value.Points.Records.size()), std::tuple(kind, points)) << path;
  };
  for (const auto& [content, kind, points] : cases) {
    SCOPED_TRACE(content);
    expect(dir.Write("log.txt", content), kind, points);
    expect(dir.Write("log.gz", testing::Gzipped(content, 5)), kind, points);
#ifndef _WIN32
    // A writer that writes nothing may come and go unseen; the FIFO then has no writer.
    if (content.empty()) continue;
    const std::string fifo = dir.File("log.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << content; });
    expect(fifo, kind, points);
    writer.join();
    std::filesystem::remove(fifo);
#endif
  }
}

// A log cut short while it is read (a logger's file being replaced) gives the track of a part of
// it, whenever the cut comes: never bytes from past the cut, never an error.
TEST(ReadTrack, ALogCutShortWhileItIsReadGivesTheTrackOfAPart) {
  testing::TempDir dir;
  std::string content;
  for (int i = 0; content.size() < 16 * 1024 * 1024; ++i) {
    content += "$GPRMC,000000,A," + std::to_string(1000 + i % 8000) + ".5,N,00000." + std::to_string(i) + ",E,,,010120,,\r\n";
  }
  const Reading whole = ReadWhole(dir.Write("whole.nmea", content));
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::string path = dir.Write("shrinking.nmea", content);
    std::thread cutter([&] { std::filesystem::resize_file(path, 1000); });
    const Reading part = ReadStraight(path, {2, 0}, kLogWindowBytes);
    cutter.join();
    ASSERT_LE(part.Records.size(), whole.Records.size());
    ASSERT_GE(part.Records.size(), 9u);  // the 1,000 bytes left hold nine fixes
    // Positions and times match the whole log's to the last record; distances and speeds may end
    // differently, since the part's last record has no record after it.
    const auto placeAndTime = [](const auto& r) { return std::tuple(std::get<0>(r), std::get<2>(r), std::get<3>(r), std::get<4>(r)); };
    for (std::size_t i = 0; i < part.Records.size(); ++i) {
      ASSERT_EQ(placeAndTime(part.Records[i]), placeAndTime(whole.Records[i])) << i;
    }
  }
}

}  // namespace
}  // namespace routelet
