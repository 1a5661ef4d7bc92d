#include "photos/photo_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "photos/jpeg_builder.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using routelet::testing::RecordingFrontEnd;
using routelet::testing::TempDir;

constexpr std::string_view kProgress = "画像データExif情報解析中：";

// A photo whose capture time is `exifDate` and whose IFD0 DateTime is a later edit.
std::string PhotoTakenAt(std::string_view exifDate) {
  using namespace routelet::testing;
  return Jpeg({JfifSegment(), ExifSegment(CameraTiff(ByteOrder::kBig, "2020:01:01 00:00:00", exifDate))});
}

TrackSummary Span(std::int64_t minTime, std::int64_t maxTime) {
  TrackSummary span;
  span.MinTime = minTime;
  span.MaxTime = maxTime;
  return span;
}

const TrackSummary kWideOpen = Span(std::numeric_limits<std::int64_t>::min(),
                                    std::numeric_limits<std::int64_t>::max());

class PhotoList : public ::testing::Test {
 protected:
  PhotoList() { sections.Set("PhotoList", "[id]|[file]|[time]|[timestr]"); }

  std::string Build(const TrackSummary& span) {
    return BuildPhotoList(dir.File("track.nmea"), sections, span, photos, ui);
  }

  TempDir dir;
  SectionStore sections;
  RecordingFrontEnd ui;
  std::int64_t photos = 0;
};

// 2011-11-05 12:34:56 on a camera set to Japan time is 03:34:56 UTC, Unix 1320464096; the
// item shows the camera's own time.
TEST_F(PhotoList, CameraTimeIsNineHoursAheadOfTheTrack) {
  dir.Write("a.jpg", PhotoTakenAt("2011:11:05 12:34:56"));
  EXPECT_EQ(Build(Span(1320464096, 1320464096)), "1|a.jpg|1320464096|2011/11/05 12:34:56\r\n");
  EXPECT_EQ(photos, 1);
}

TEST_F(PhotoList, BothEndsOfTheSpanBelongToIt) {
  // Unix 1320464096 is the first photo's time; the others are one second apart.
  dir.Write("1.jpg", PhotoTakenAt("2011:11:05 12:34:55"));
  dir.Write("2.jpg", PhotoTakenAt("2011:11:05 12:34:56"));
  dir.Write("3.jpg", PhotoTakenAt("2011:11:05 13:00:00"));
  dir.Write("4.jpg", PhotoTakenAt("2011:11:05 13:00:01"));
  EXPECT_EQ(Build(Span(1320464096, 1320465600)),
            "1|2.jpg|1320464096|2011/11/05 12:34:56\r\n2|3.jpg|1320465600|2011/11/05 13:00:00\r\n");
  EXPECT_EQ(photos, 2);
}

TEST_F(PhotoList, ListsInNameOrderAndNumbersOnlyListedPhotos) {
  sections.Set("photolist", "[id]:[file]");
  dir.Write("b.JPG", PhotoTakenAt("2011:11:05 12:00:00"));
  dir.Write("a.jpg", PhotoTakenAt("2011:11:05 13:00:00"));
  dir.Write("d.jpg", "not a photo");
  dir.Write("C.jpeg", PhotoTakenAt("2011:11:05 11:00:00"));
  dir.Write("f.jpg", PhotoTakenAt("2011:11:06 12:00:00"));  // after the track
  dir.Write("e.png", PhotoTakenAt("2011:11:05 12:00:00"));
  std::filesystem::create_directory(dir.File("g.jpg"));
  EXPECT_EQ(Build(Span(1320454800, 1320490800)), "1:a.jpg\r\n2:b.JPG\r\n3:C.jpeg\r\n");
  EXPECT_EQ(photos, 3);
  const std::vector<std::string> shown = {"a.jpg", "b.JPG", "C.jpeg", "d.jpg", "f.jpg"};
  ASSERT_EQ(ui.progress.size(), shown.size());
  for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(ui.progress[i], std::string(kProgress) + shown[i]);
}

TEST_F(PhotoList, EmptySpanListsNothing) {
  dir.Write("a.jpg", PhotoTakenAt("2011:11:05 12:34:56"));
  EXPECT_EQ(Build(TrackSummary{}), "");
  EXPECT_EQ(photos, 0);
  EXPECT_EQ(ui.progress.size(), 1u);
}

TEST_F(PhotoList, MissingSectionGivesALineEndPerPhoto) {
  sections.clear();
  dir.Write("a.jpg", PhotoTakenAt("2011:11:05 12:34:56"));
  dir.Write("b.jpg", PhotoTakenAt("2011:11:05 12:34:57"));
  EXPECT_EQ(Build(kWideOpen), "\r\n\r\n");
  EXPECT_EQ(photos, 2);
}

// Placeholders are filled one after another: a file name holding "[time]" has it filled,
// one holding "[id]" keeps it, as "[id]" was filled before the name came in.
TEST_F(PhotoList, PlaceholdersFilledInOrderEverywhere) {
  sections.Set("photolist", "[id][id] [file] [timestr]|[time]");
  dir.Write("[id][time].jpg", PhotoTakenAt("2000:01:01 09:00:00"));
  EXPECT_EQ(Build(kWideOpen), "11 [id] 946684800.jpg 2000/01/01 09:00:00| 946684800\r\n");
}

// Names that would break markup or a link, or smuggle script into the page, come out escaped
// through the two safe placeholders while "[file]" keeps the name as it is.
TEST_F(PhotoList, SafePlaceholdersEscapeHostileNames) {
  sections.Set("photolist", "<img src=\"[file:url]\" alt=\"[file:html]\">[file]");
  const struct {
    const char *name, *item;
  } cases[] = {
      {"a\"b.jpg", "<img src=\"a%22b.jpg\" alt=\"a&quot;b.jpg\">a\"b.jpg"},
      {"<script>x<\\script>.jpg",
       "<img src=\"%3Cscript%3Ex%3C%5Cscript%3E.jpg\" alt=\"&lt;script&gt;x&lt;\\script&gt;.jpg\"><script>x<\\script>.jpg"},
      {"IMG#1 ?.jpg", "<img src=\"IMG%231%20%3F.jpg\" alt=\"IMG#1 ?.jpg\">IMG#1 ?.jpg"},
      {"x'y&z%.jpg", "<img src=\"x%27y%26z%25.jpg\" alt=\"x&#39;y&amp;z%.jpg\">x'y&z%.jpg"},
      {"[filename].jpg", "<img src=\"%5Bfilename%5D.jpg\" alt=\"&#91;filename&#93;.jpg\">[filename].jpg"},
      {"旅.jpg", "<img src=\"%E6%97%85.jpg\" alt=\"旅.jpg\">旅.jpg"},
  };
  for (const auto& c : cases) {
    TempDir folder;
    folder.Write(c.name, PhotoTakenAt("2011:11:05 12:34:56"));
    std::int64_t count = 0;
    EXPECT_EQ(BuildPhotoList(folder.File("t.log"), sections, kWideOpen, count, ui), std::string(c.item) + "\r\n");
  }
}

// A capture time is usable when it rounds (ties to even) to day 1 or later.
TEST_F(PhotoList, CaptureTimesBeforeDayOneAreSkipped) {
  sections.Set("photolist", "[file]");
  dir.Write("a.jpg", PhotoTakenAt("1899:12:30 12:00:00"));  // day 0.5 rounds to 0
  dir.Write("b.jpg", PhotoTakenAt("1899:12:30 12:00:01"));
  dir.Write("c.jpg", PhotoTakenAt("1899:12:29 23:00:00"));
  dir.Write("d.jpg", PhotoTakenAt("1899:12:31 00:00:00"));
  EXPECT_EQ(Build(kWideOpen), "b.jpg\r\nd.jpg\r\n");
}

// The photos are read beside the log even when the program runs elsewhere, where a photo of
// the same name must not be read instead.
TEST(PhotoListFolders, PhotosAreReadBesideTheLog) {
  TempDir elsewhere, trip;
  elsewhere.Write("a.jpg", PhotoTakenAt("1999:01:01 00:00:00"));
  trip.Write("a.jpg", PhotoTakenAt("2011:11:05 12:34:56"));
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  SectionStore sections;
  sections.Set("photolist", "[timestr]");
  RecordingFrontEnd ui;
  std::int64_t photos = 0;
  const std::string besideLog = BuildPhotoList(trip.File("log.nmea"), sections, kWideOpen, photos, ui);
  const std::string bareLog = BuildPhotoList("log.nmea", sections, kWideOpen, photos, ui);
  std::filesystem::current_path(previous);
  EXPECT_EQ(besideLog, "2011/11/05 12:34:56\r\n");
  EXPECT_EQ(bareLog, "1999/01/01 00:00:00\r\n");  // no "/": the current folder
  EXPECT_EQ(photos, 2);
}

}  // namespace
}  // namespace routelet
