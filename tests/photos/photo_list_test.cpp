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

// A photo whose capture time is `exifDate` and whose IFD0 DateTime is a later edit.
std::string PhotoTakenAt(std::string_view exifDate) {
  using namespace routelet::testing;
  return Jpeg({JfifSegment(), ExifSegment(CameraTiff(ByteOrder::kBig, "2020:01:01 00:00:00", exifDate))});
}

TrackSummary Span(std::int64_t minTime, std::int64_t maxTime) { return {.MinTime = minTime, .MaxTime = maxTime}; }
const TrackSummary kWideOpen = Span(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());

class PhotoList : public ::testing::Test {
 protected:
  std::string Build(std::string_view section, const TrackSummary& span = kWideOpen) {
    sections.clear();
    if (!section.empty()) sections.Set("photolist", std::string(section));
    photos = 0;
    return BuildPhotoList(dir.File("track.nmea"), sections, span, photos, ui);
  }

  TempDir dir;
  SectionStore sections;
  RecordingFrontEnd ui;
  std::int64_t photos = 0;
};

// A camera set to Japan time is 9 hours ahead of the track: 2011-11-05 12:34:56 on it is Unix
// 1320464096. The items show the camera's own time; both ends of the span belong to it.
TEST_F(PhotoList, ListsThePhotosOfTheSpanInNameOrder) {
  dir.Write("1.jpg", PhotoTakenAt("2011:11:05 12:34:55"));
  dir.Write("b.JPG", PhotoTakenAt("2011:11:05 12:50:00"));
  dir.Write("a.jpg", PhotoTakenAt("2011:11:05 12:34:56"));
  dir.Write("C.jpeg", PhotoTakenAt("2011:11:05 13:00:00"));
  dir.Write("d.jpg", "not a photo");
  dir.Write("f.jpg", PhotoTakenAt("2011:11:05 13:00:01"));
  dir.Write("e.png", PhotoTakenAt("2011:11:05 12:50:00"));
  std::filesystem::create_directory(dir.File("g.jpg"));
  EXPECT_EQ(Build("[id]|[file]|[time]|[timestr]", Span(1320464096, 1320465600)),
            "1|a.jpg|1320464096|2011/11/05 12:34:56\r\n2|b.JPG|1320465000|2011/11/05 12:50:00\r\n"
            "3|C.jpeg|1320465600|2011/11/05 13:00:00\r\n");
  EXPECT_EQ(photos, 3);
  std::vector<std::string> shown;
  for (const char* name : {"1.jpg", "a.jpg", "b.JPG", "C.jpeg", "d.jpg", "f.jpg"}) {
    shown.push_back(std::string("画像データExif情報解析中：") + name);
  }
  EXPECT_EQ(ui.progress, shown);
  EXPECT_EQ(Build("[file]", TrackSummary{}), "");  // an empty span
  EXPECT_EQ(photos, 0);
}

// Placeholders are filled one after another: a file name holding "[time]" has it filled, one
// holding "[id]" keeps it. Without a section each photo gives a bare line end.
TEST_F(PhotoList, SectionRules) {
  dir.Write("[id][time].jpg", PhotoTakenAt("2000:01:01 09:00:00"));
  EXPECT_EQ(Build("[id][id] [file] [timestr]|[time]"), "11 [id] 946684800.jpg 2000/01/01 09:00:00| 946684800\r\n");
  EXPECT_EQ(Build(""), "\r\n");
  EXPECT_EQ(photos, 1);
}

// Names that would break markup or a link, or smuggle script into the page, come out escaped
// through the two safe placeholders while "[file]" keeps the name as it is.
TEST_F(PhotoList, SafePlaceholdersEscapeHostileNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\"b.jpg", "<img src=\"a%22b.jpg\" alt=\"a&quot;b.jpg\">a\"b.jpg"},
      {"<script>x<\\script>.jpg",
       "<img src=\"%3Cscript%3Ex%3C%5Cscript%3E.jpg\" alt=\"&lt;script&gt;x&lt;\\script&gt;.jpg\"><script>x<\\script>.jpg"},
      {"IMG#1 ?.jpg", "<img src=\"IMG%231%20%3F.jpg\" alt=\"IMG#1 ?.jpg\">IMG#1 ?.jpg"},
      {"x'y&z%.jpg", "<img src=\"x%27y%26z%25.jpg\" alt=\"x&#39;y&amp;z%.jpg\">x'y&z%.jpg"},
      {"[filename].jpg", "<img src=\"%5Bfilename%5D.jpg\" alt=\"&#91;filename&#93;.jpg\">[filename].jpg"},
      {"旅.jpg", "<img src=\"%E6%97%85.jpg\" alt=\"旅.jpg\">旅.jpg"},
  };
  for (const auto& [name, item] : cases) {
    const std::string path = dir.Write(name, PhotoTakenAt("2011:11:05 12:34:56"));
    EXPECT_EQ(Build("<img src=\"[file:url]\" alt=\"[file:html]\">[file]"), std::string(item) + "\r\n");
    std::filesystem::remove(path);
  }
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
}

}  // namespace
}  // namespace routelet
