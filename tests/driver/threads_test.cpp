// A conversion on several threads, its work cut at awkward places, gives the page, the progress
// texts and the summary of a conversion on one thread, byte for byte: for the real receiver logs
// and for generated ones, in a zone whose summer time ends while the generated tracks run.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "../../bench/nmea_log_writer.h"
#include "driver/command_line.h"
#include "driver/run.h"
#include "output/render_page.h"
#include "output/write_page.h"
#include "photos/jpeg_builder.h"
#include "support/awkward_log.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using namespace routelet::testing;

// Every record placeholder, and the body's totals.
constexpr std::string_view kTemplate =
    "[filename] [numrecord] [numphoto] [totaldist] [avgspeed]\r\n<[recordlist]>\r\n*recordlist\r\n"
    "[index] [time] [timestr] [lat] [lng] [alt] [dist] [speed] [lat:full] [lng:full] [alt:known]\r\n";

struct Conversion {
  std::string page;
  std::vector<std::string> events;
};

Conversion Convert(const std::string& log, const std::string& templatePath, Parallelism work) {
  Options options;
  options.LogPath = log;
  options.TemplatePath = templatePath;
  options.Work = work;
  RecordingFrontEnd ui;
  EXPECT_EQ(RunConversion(options, ui), RunResult::kPageWritten) << log;
  return {ReadAll(OutputPathFor(log)), ui.events};
}

class Threads : public ::testing::Test {
 protected:
  // Summer time (+10:00) ends at noon local time on 5 November 2011, 02:00 UTC. (Windows takes
  // the system's zone whatever TZ says; the pages are compared all the same.)
#ifndef _WIN32
  void SetUp() override { setenv("TZ", "STD-9DST,J1/0,J309/12", 1), tzset(); }
  void TearDown() override { unsetenv("TZ"), tzset(); }
#endif

  // A photo of each generated track, so that the tracks' time spans show on the page.
  void TakePhotos() {
    for (const char* date : {"2011:11:05 23:00:00", "2011:11:05 01:00:00"}) {
      dir.Write(std::string(date, 13) + ".jpg",
                Jpeg({JfifSegment(), ExifSegment(CameraTiff(ByteOrder::kLittle, std::nullopt, date, std::nullopt, "+00:00"))}));
    }
  }

  // Converts `log` on one thread, then as each of `works` says, and compares. Returns the lines
  // of the page, which are its records but two.
  std::ptrdiff_t ExpectSameAsOneThread(const std::string& log, const std::vector<Parallelism>& works) {
    const std::string templatePath = dir.Write("template.dat", kTemplate);
    const Conversion one = Convert(log, templatePath, {1, 0});
    for (const Parallelism& work : works) {
      const Conversion many = Convert(log, templatePath, work);
      EXPECT_TRUE(many.page == one.page) << log << " differs with " << work.Threads << " threads, chunks of " << work.ChunkItems;
      EXPECT_EQ(many.events, one.events) << log << " " << work.Threads << "/" << work.ChunkItems;
    }
    return std::count(one.page.begin(), one.page.end(), '\n');
  }

  TempDir dir;
};

TEST_F(Threads, RealLogsCutEverywhere) {
  const std::vector<Parallelism> works = {{2, 1}, {3, 2}, {7, 3}, {2, 7}, {3, 61}};
  std::ptrdiff_t lines = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(ROUTELET_TEST_DATA_DIR) + "/nmea")) {
    if (entry.path().extension() != ".nmea") continue;
    std::filesystem::copy_file(entry.path(), dir.File(entry.path().filename().string()));
    lines += ExpectSameAsOneThread(dir.File(entry.path().filename().string()), works);
  }
  EXPECT_GT(lines, 100);
}

TEST_F(Threads, GeneratedLogs) {
  TakePhotos();
  EXPECT_GT(ExpectSameAsOneThread(dir.Write("awkward.log", AwkwardLog(3000)), {{2, 1}, {3, 5}, {7, 13}, {2, 499}}), 2000);
  // A week's log in small: chunks of the sizes a large log gets.
  std::FILE* out = std::fopen(dir.File("drive.log").c_str(), "wb");
  ASSERT_TRUE(out != nullptr && bench::WriteNmeaLog(out, 30000) && std::fclose(out) == 0);
  EXPECT_GT(ExpectSameAsOneThread(dir.File("drive.log"), {{2, 0}, {3, 0}, {7, 0}}), 30000);
}

TEST(ThreadOption, CountFromTheCommandLine) {
  EXPECT_EQ(ParseCommandLine({"--threads=3", "a.log"}).Work.Threads, 3u);
  EXPECT_EQ(ParseCommandLine({"--threads", "2", "a.log"}).Work.Threads, 2u);
  EXPECT_EQ(ParseCommandLine({"a.log"}).Work.Threads, DefaultThreadCount());
  for (std::string_view bad : {"--threads=0", "--threads=65", "--threads=2x", "--threads="}) {
    EXPECT_EQ(ParseCommandLine({bad, "a.log"}).Unusable, bad);
  }
}

// No chunk runs twice, and none starts after one threw (on one thread: none after it); what a
// chunk threw comes out. Helper threads are kept, and serve the calls after.
TEST(ForEachChunk, StopsAtTheFirstFailureAndThrowsIt) {
  for (const unsigned threads : {1u, 4u, 4u}) {
    std::vector<std::atomic<int>> runs(50);
    try {
      ForEachChunk(runs.size(), threads, [&](std::size_t k) {
        ++runs[k];
        if (k % 7 == 3) throw std::runtime_error(std::to_string(k));
      });
      ADD_FAILURE() << "nothing thrown";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::stoul(error.what()) % 7, 3u);
      if (threads == 1) {
        EXPECT_STREQ(error.what(), "3");
      }
    }
    for (std::size_t k = 0; k < runs.size(); ++k) EXPECT_LE(runs[k], threads == 1 && k > 3 ? 0 : 1) << k;
  }
}

// Made piece by piece, in one buffer used again, the page is what filling it whole gives; no
// piece is larger than `largestPiece` bytes.
void ExpectPiecesMakeTheWholePage(const std::string& body, const std::string& item, const std::string& log,
                                  const EmbeddedContent& embedded = {}, std::size_t largestPiece = 1 << 20) {
  Track track;
  track.Records.resize(5);
  track.Records[3].Segment = track.Records[4].Segment = 1;
  track.Segments = {{0, 3, {}}, {3, 2, {}}};
  SectionStore sections;
  ParseSections("*body\r\n" + body + "\r\n*recordlist\r\n" + item +
                    "\r\n*photolist\r\n[id] [file:thumb]\r\n*segmentbreak\r\n[numphoto]\r\n*segmentlist\r\n[segment]\r\n",
                sections);
  const RenderedPage page(sections, track, {Photo{}}, 7, log, {3, 2}, embedded);
  std::string pieces, piece;
  for (std::size_t k = 0; k < page.PieceCount(); ++k) {
    page.MakePiece(k, piece);
    EXPECT_LE(piece.size(), largestPiece) << body;
    pieces += piece;
  }
  NoProgress progress;
  std::string whole = RenderRecords(sections, track, progress);
  FillPlaceholders(whole, sections, track, {Photo{}}, 7, log, embedded);
  EXPECT_TRUE(pieces == whole) << body;
  EXPECT_EQ(page.empty(), whole.empty()) << body;
}

// A body placeholder cut by "[recordlist]" is made whole by the first item, and items may hold
// body placeholders.
TEST(PagePieces, FillAsTheWholePage) {
  const std::pair<std::string, std::string> templates[] = {
      {"[segment[recordlist]list]", "list] [segment]"},
      {"a[photo[recordlist]b[num[recordlist]c", "list] [index]"},
      {"<[recordlist]>", "[filename] [index] [numrecord]"},
      {"[[recordlist]", ""},
      {"[file[recordlist]name]", ""},
      {"[recordlist]", ""},
  };
  for (const auto& [body, item] : templates) ExpectPiecesMakeTheWholePage(body, item, "trip[1].log");
}

// The photos and tiles a page carries go in as they are, some megabytes a piece; a value with a
// bracket, or a log whose name brings the placeholder in again, is filled as any other.
TEST(PagePieces, CarriedPhotosAndTilesGoInAsTheyAre) {
  std::string previews;
  for (int line = 0; line < 24; ++line) previews += "data:image/jpeg;base64," + std::string(400000, 'A' + line) + "\n";
  const EmbeddedContent carried{{"data:t"}, previews, R"({"tiles":"data:x"})"};
  const EmbeddedContent bracketed{{}, "]\n", R"({"source":"http://[::1]/"})"};
  const std::size_t slice = (4 << 20) + 400100;
  ExpectPiecesMakeTheWholePage("a[previewlist]b[embeddedtiles]c[recordlist]d[previewlist]", "[index]", "t.log", carried, slice);
  ExpectPiecesMakeTheWholePage("[zo[previewlist]ne] [embeddedtiles]", "", "t.log", carried, slice);
  ExpectPiecesMakeTheWholePage("[previewlist] [filename]", "", "[previewlist].log", carried, previews.size() + 100);
  ExpectPiecesMakeTheWholePage("[previewlist][embeddedtiles][recordlist]", "[index] [embeddedtiles]", "t.log", bracketed);
  ExpectPiecesMakeTheWholePage("[embeddedtiles[previewlist]", "", "t.log", bracketed);
}

}  // namespace
}  // namespace routelet
