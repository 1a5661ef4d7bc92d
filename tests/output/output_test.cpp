// The page: record and photo items, the body's placeholders, the page's name and writing it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "output/page_target.h"
#include "output/photo_item.h"
#include "output/record_item.h"
#include "output/render_page.h"
#include "output/write_page.h"
#include "runtime/dates.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

// Filling the items' placeholders one after another over the whole section is the rule; the
// one-pass item must agree with it whatever the section holds, timed or not, with the altitude
// known or not.
TEST(RecordItem, AgreesWithFillingOnePlaceholderAfterAnother) {
  for (const int cut : {0, 1, 2, 3}) {
    const bool untimed = cut & 1, altitudeUnknown = cut & 2;
    const TrackRecord r{.UnixTime = untimed ? 0 : 999999999, .Fraction = .25, .LocalTime = *ParseDateText("2001/09/09 10:46:39"),
                        .Lat = 35.652056666666667, .Lng = -1e-7, .Alt = 123.44999694824219, .AltKnown = !altitudeUnknown,
                        .FractionDigits = 2, .Speed = 12.345, .Dist = 0.5};
    const std::pair<const char*, std::string> fills[] = {
        {"[index]", "42"}, {"[time]", untimed ? "         0" : " 999999999"}, {"[timestr]", "2001/09/09 10:46:39"},
        {"[time:iso]", untimed ? "" : "2001-09-09T01:46:39.25Z"}, {"[lat:full]", "35.65205666666667"},
        {"[lng:full]", "-0.0000001"}, {"[lat]", "35.6521"}, {"[lng]", ".0000"}, {"[alt]", "123.45"}, {"[dist]", ".50"},
        {"[speed]", "12.35"}, {"[alt:known]", altitudeUnknown ? "" : "123.45"},
    };
    for (const char* section : {"", "no placeholders at all", "[lat][lat] [LAT] [Lat] [foo] [filename] [photolist]",
                                "[ti[time]me] [[index]] [time [timestr]] [speed", "[", "]", "[[", "[index]]",
                                "[index][time][timestr][lat][lng][alt][dist][speed][lat:full][lng:full][alt:known]",
                                "[lat:full] [lat:fulll] [lat:[lat]full] [lng:ful] [alt:known[alt]]",
                                "[[alt:known]index] [alt:[alt:known]known] [ind[alt:known]ex]",
                                "<t>[time:iso]</t>[time:iso] [time:is[time:iso]o] [alt[time:iso]:known]",
                                "[time[alt:known]:iso] [[time:iso]alt:known] [alt:known[time:iso]]"}) {
      std::string expected = section;
      for (const auto& [placeholder, value] : fills) expected = ReplaceAll(expected, placeholder, value);
      const RecordItemTemplate t(section);
      EXPECT_EQ(BuildRecordItem(t, 42, r), expected) << section << " in cut " << cut;
      EXPECT_EQ(t.empty(), *section == '\0');
    }
  }
}

// A camera on Japan time: 2011-11-05 12:34:56 on it is Unix 1320464096. Placeholders are filled
// one after another, so a name holding "[time]" has it filled and one holding "[id]" keeps it;
// names that would break markup or a link come out escaped through the two safe placeholders.
TEST(PhotoItem, FillsInOrderAndEscapesHostileNames) {
  const DaySerial taken = *ParseDateText("2011/11/05 12:34:56");
  const struct {
    const char *name, *section, *item;
  } cases[] = {
      {"a.jpg", "[id]|[file]|[time]|[timestr]|[time:iso]", "7|a.jpg|1320464096|2011/11/05 12:34:56|2011-11-05T03:34:56Z"},
      {"[id][time].jpg", "[id][id] [file]", "77 [id]1320464096.jpg"},
      {"a\"b.jpg", "<img src=\"[file:url]\" alt=\"[file:html]\">", "<img src=\"a%22b.jpg\" alt=\"a&quot;b.jpg\">"},
      {"<script>x<\\script>.jpg", "[file:url] [file:html]",
       "%3Cscript%3Ex%3C%5Cscript%3E.jpg &lt;script&gt;x&lt;\\script&gt;.jpg"},
      {"IMG#1 ?.jpg", "[file:url] [file:html]", "IMG%231%20%3F.jpg IMG#1 ?.jpg"},
      {"x'y&z%.jpg", "[file:url] [file:html]", "x%27y%26z%25.jpg x&#39;y&amp;z%.jpg"},
      {"[filename].jpg", "[file:url] [file:html]", "%5Bfilename%5D.jpg &#91;filename&#93;.jpg"},
      {"旅.jpg", "[file:url] [file:html]", "%E6%97%85.jpg 旅.jpg"},
      // A photo in another folder: each segment of its path escaped, the "/" kept.
      {"../my photos/旅/a#1.jpg", "[file:url]", "../my%20photos/%E6%97%85/a%231.jpg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildPhotoItem(c.section, 7, Photo{c.name, taken, 1320464096}), c.item) << c.name;
  }
}

// A track of `points` records, one a minute, and the body rendered and filled from `text`.
struct PageMaker {
  std::string Make(std::string_view text, int points, std::vector<Photo> photos = {}, int step = 60) {
    SectionStore sections;
    ParseSections(text, sections);
    Track track;
    track.TotalDist = 12.345;
    track.AvgSpeed = 0.004;
    for (int i = 0; i < points; ++i) track.Records.push_back({.UnixTime = step * i});
    std::string page = RenderRecords(sections, track, progress);
    FillPlaceholders(page, sections, track, photos, 1000 + points, kLog);
    return page;
  }

  static constexpr const char* kLog = "/no such folder/<b>\"a&b'.log";
  testing::RecordingProgress progress;
};

TEST(RenderPage, FillsTheBodyByItsRules) {
  const std::string log = PageMaker::kLog;
  const std::vector<Photo> twoPhotos = {{"a.jpg", 40000, 0}, {"b.jpg", 40000, 1}};
  const struct {
    const char* what;
    const char* text;
    int points;
    std::vector<Photo> photos;
    std::string page;
    int step = 60;  // seconds from one record to the next; record 0 is untimed
  } cases[] = {
      {"no records still fill the totals",
       "[[recordlist]] [numrecord] [numphoto] [totaldist] [avgspeed]\r\n*recordlist\r\n[index]", 0, {},
       "[] 1000 0 12.35 .00"},
      {"body placeholders in items are filled in every item",
       "[recordlist]|[photolist]\r\n*recordlist\r\n[index] [numrecord] [filename] [photolist]", 2, {},
       "0 1002 " + log + " \r\n1 1002 " + log + " \r\n|"},
      // "[recordlist]" in the photo item stays: its step is over.
      {"photo items", "[photolist]\r\n*photolist\r\n[recordlist][file]", 1, twoPhotos,
       "[recordlist]a.jpg\r\n[recordlist]b.jpg\r\n"},
      {"photos are numbered from 1 and counted", "[photolist][numphoto]\r\n*photolist\r\n[id]", 0, twoPhotos,
       "1\r\n2\r\n2"},
      {"every occurrence of the list gets the whole list", "<[recordlist]|[recordlist]>\r\n*recordlist\r\n[index]", 2,
       {}, "<0\r\n1\r\n|0\r\n1\r\n>"},
      {"an empty item adds no line break", "<[recordlist]>\r\n*recordlist\r\n", 3, {}, "<>"},
      {"the log name escaped for markup", "[filename:html]", 0, {}, "/no such folder/&lt;b&gt;&quot;a&amp;b&#39;.log"},
      {"the earliest and latest timed fix", "[starttime:iso] [endtime:iso]", 3, {}, "1970-01-01T00:01:00Z 1970-01-01T00:02:00Z"},
      {"also when time runs backwards", "[starttime:iso] [endtime:iso]", 3, {}, "1969-12-31T23:58:00Z 1969-12-31T23:59:00Z", -60},
      {"no timed fix", "<[starttime:iso]|[endtime:iso]>", 1, {}, "<|>"},
  };
  for (const auto& c : cases) EXPECT_EQ(PageMaker().Make(c.text, c.points, c.photos, c.step), c.page) << c.what;
}

TEST(RenderPage, ReportsProgressEveryHundredRecordsWithOrWithoutAList) {
  PageMaker maker;
  const std::string page = maker.Make("[recordlist]\r\n*recordlist\r\n[index]", 250);
  EXPECT_THAT(maker.progress.events, ElementsAre("record 0/250", "record 100/250", "record 200/250", "record 250/250"));
  EXPECT_TRUE(page.starts_with("0\r\n1\r\n2\r\n") && page.ends_with("\r\n248\r\n249\r\n"));
  PageMaker noList;
  EXPECT_EQ(noList.Make("[numrecord]\r\n*recordlist\r\n[index]", 101), "1101");
  EXPECT_THAT(noList.progress.events, ElementsAre("record 0/101", "record 100/101", "record 101/101"));
  PageMaker none;
  none.Make("[recordlist]", 0);
  EXPECT_THAT(none.progress.events, ElementsAre());
}

TEST(OutputPathFor, ReplacesTheFileNamesExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"/logs/a.b.log", "/logs/a.b.html"}, {"/logs/TRIP.LOG", "/logs/TRIP.html"}, {"/logs/trip", "/logs/trip.html"},
      {"/logs/trip.", "/logs/trip.html"},  {"trip.nmea", "trip.html"},             {"./trip", "./trip.html"},
      {"/old.logs/trip", "/old.logs/trip.html"},  // a dot in a folder name is no extension
      {"/logs/.trip", "/logs/.trip.html"},        // nor is the dot of a hidden file
      {"/logs/trip.HTML", "/logs/trip.html"},
  };
  for (const auto& [log, page] : cases) EXPECT_EQ(OutputPathFor(log), page) << log;
  EXPECT_EQ(OutputPathFor("/logs/a.b.log", "gpx"), "/logs/a.b.gpx");
  EXPECT_EQ(OutputPathFor("/logs/trip", "kml"), "/logs/trip.kml");
}

// A pipe named as the output is written into, not replaced by a file.
TEST(WritePageTo, WritesIntoAPipe) {
  testing::TempDir dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_FALSE(WritePageTo(fifo, "page", dir.File("trip.log")).has_value());
  char got[8] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 4);
  EXPECT_STREQ(got, "page");
  ::close(reader);
  struct stat info {};
  EXPECT_TRUE(::stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
}

// Overlong forms, surrogates, code points past U+10FFFF, cut sequences and Shift_JIS bytes
// are each replaced by U+FFFD (once per byte that cannot start or continue a character).
TEST(ToUtf8Bytes, KeepsValidUtf8AndRepairsTheRest) {
  const std::string r = "\xEF\xBF\xBD";
  const std::pair<std::string, std::string> cases[] = {
      {"plain ASCII, longer than eight bytes", "plain ASCII, longer than eight bytes"},
      {"aé日\xF0\x9F\x98\x80", "aé日\xF0\x9F\x98\x80"}, {"", " "},
      {"IMG\xFF.jpg", "IMG" + r + ".jpg"}, {"\x80", r}, {"\xC0\xAF", r + r}, {"\xED\xA0\x80", r + r + r},
      {"\xF4\x90\x80\x80", r + r + r + r}, {"abcdefgh\xE6\x97", "abcdefgh" + r + r}, {"\x83\x65", r + "e"},
  };
  for (const auto& [text, bytes] : cases) EXPECT_EQ(ToUtf8Bytes(text), bytes) << text;
}

std::ptrdiff_t FilesIn(const testing::TempDir& dir) { return std::distance(std::filesystem::directory_iterator(dir.path()), {}); }

// An earlier, longer page is replaced whole, keeping its permissions, and no temporary file is
// left.
TEST(WritePage, ReplacesAnEarlierPageWholeWithItsPermissions) {
  testing::TempDir dir;
  ::chmod(dir.Write("trip.html", std::string(1000, 'x')).c_str(), 0640);
  const auto error = WritePage(dir.File("trip.html"), "short", dir.File("trip.log"));
  ASSERT_FALSE(error.has_value()) << error->Reason;
  EXPECT_EQ(testing::ReadAll(dir.File("trip.html")), "short");
  struct stat info {};
  ASSERT_EQ(::stat(dir.File("trip.html").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(FilesIn(dir), 1);
}

TEST(WritePage, RefusesTheLogAndAFolderWhereThePageGoes) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.File("trip.html"));
  const auto intoFolder = WritePage(dir.File("trip.html"), "new page", dir.File("trip.log"));
  ASSERT_TRUE(intoFolder.has_value());
  EXPECT_EQ(intoFolder->Kind, WriteError::Problem::kCannotWrite);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("trip.html")));
  const std::string log = dir.Write("old.html", "the log");
  const auto overLog = WritePage(log, "page", log);
  ASSERT_TRUE(overLog.has_value());
  EXPECT_EQ(overLog->Kind, WriteError::Problem::kWouldReplaceLog);
  EXPECT_EQ(testing::ReadAll(log), "the log");
  EXPECT_EQ(FilesIn(dir), 2);
}

TEST(WritePage, AWriteFailingPartWayLeavesTheEarlierPage) {
  // A file size limit makes writes fail part-way, as a full disk does.
  testing::TempDir dir;
  dir.Write("trip.html", "earlier page");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const auto error = WritePage(dir.File("trip.html"), std::string(5000, 'p'), dir.File("trip.log"));
    ::_exit(error && error->Kind == WriteError::Problem::kCannotWrite && !error->Reason.empty() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failure was not reported";
  EXPECT_EQ(testing::ReadAll(dir.File("trip.html")), "earlier page");
  EXPECT_EQ(FilesIn(dir), 1);
}

}  // namespace
}  // namespace routelet
