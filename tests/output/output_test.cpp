// The page: record items, the body's placeholders, the page's name and writing it. Photo items,
// and what a page written by the program holds, are end-to-end cases.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <new>
#include <thread>

#include "output/packed_track.h"
#include "output/page_target.h"
#include "output/photo_item.h"
#include "output/record_item.h"
#include "output/render_page.h"
#include "output/value_groups.h"
#include "output/write_page.h"
#include "runtime/dates.h"
#include "runtime/text_helpers.h"
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
        {"[speed]", "12.35"}, {"[alt:known]", altitudeUnknown ? "" : "123.45"}, {"[segment]", "1"},
    };
    // A long literal (an inline picture, say) and more placeholders than an item made at once has
    // room for: each item is made another way.
    const std::vector<std::string> sections = {
        std::string(12000, 'x') + "[index][lat]", "", "no placeholders at all",
        "[lat][lat] [LAT] [Lat] [foo] [filename] [photolist]", "[ti[time]me] [[index]] [time [timestr]] [speed", "[", "]",
        "[[", "[index]]", "[index][time][timestr][lat][lng][alt][dist][speed][lat:full][lng:full][alt:known]",
        "[lat:full] [lat:fulll] [lat:[lat]full] [lng:ful] [alt:known[alt]]",
        "[[alt:known]index] [alt:[alt:known]known] [ind[alt:known]ex]",
        "<t>[time:iso]</t>[time:iso] [time:is[time:iso]o] [alt[time:iso]:known]",
        "[time[alt:known]:iso] [[time:iso]alt:known] [alt:known[time:iso]] [seg[alt:known]ment] [segment]",
        "[index][time][timestr][lat][lng][alt][dist][speed][lat:full][lng:full][alt:known]|"
        "[index][time][timestr][lat][lng][alt][dist][speed][lat:full][lng:full][alt:known]",
    };
    for (const std::string& section : sections) {
      std::string expected = section;
      for (const auto& [placeholder, value] : fills) expected = ReplaceAll(expected, placeholder, value);
      const RecordItemTemplate t(section);
      EXPECT_EQ(BuildRecordItem(t, 42, r), expected) << section.substr(0, 100) << " in cut " << cut;
      EXPECT_EQ(t.empty(), section.empty());
    }
  }
}

// A group is written without its marks when its placeholders all have values, and left out when
// one of them is empty (here the altitude); marks that make no group stay as they are.
// Each number is the change from the last value it had, folded (-1 is 1, 1 is 2) in base-32
// digits ("mI" is 6 * 32 + 8 = 200 for 100); a number that has none (not finite, too large for a
// script's doubles, an unknown altitude) is "." and leaves that value, and the totals are rounded
// as the page's texts round them (".005" is ".01", 2.675 is 2.68).
TEST(PackedTrack, WritesFoldedChangesAndDotsForNumbersWithoutAValue) {
  TrackRecord first;
  first.UnixTime = 100;
  first.LocalTime = kUnixEpochSerial + (100 + 9 * 3600) / 86400.0;
  first.Lat = 35.5;
  first.Lng = -0.25;
  first.AltKnown = true;
  first.Alt = 12.5;
  first.Dist = 0.005;
  first.Speed = 2.675;
  TrackRecord second = first, third = first;
  second.UnixTime = 101;
  second.LocalTime += 1 / 86400.0;
  second.Lat = std::nan("");
  second.AltKnown = false;
  second.Dist = 1e300;
  second.Speed = INFINITY;
  third.UnixTime = 102;
  third.LocalTime = std::nan("");
  EXPECT_EQ(PackedTrackText({first, second, third}),
            "mIh_pA1ljvsAk4y5fiuECwY;CA.A...;C.AAAAA;");
}

TEST(ValueGroups, AreKeptOrLeftOutWhole) {
  const auto altitudeUnknown = [](Fill what) { return what == Fill::kAltKnown; };
  const std::pair<const char*, const char*> cases[] = {
      {"a[?<e>[alt:known]</e>?]b", "ab"},
      {"a[?<t>[time:iso]</t>?]b", "a<t>[time:iso]</t>b"},
      {"[?[time:iso] [alt:known]?]|[?[time]?]", "|[time]"},
      {"[?no placeholder?][?[file]?]", "[?no placeholder?][?[file]?]"},  // [file] is a photo's
      {"[?[alt:known]\r\n?] [?[time]\n?]", "[?[alt:known]\r\n?] [?[time]\n?]"},  // not closed on the line
      {"[?[?[alt:known]?]?]", "?]"},
      {"[?[time]?]?]", "[time]?]"},
      {"[?", "[?"},
  };
  for (const auto& [text, kept] : cases) {
    EXPECT_EQ(KeepGroupsWithValues(text, PlaceholderScope::kRecordItem, altitudeUnknown), kept) << text;
  }
  // A record item keeps each group where its values are known.
  const RecordItemTemplate item("<p>[?<e>[alt:known]</e>?][?<t>[time:iso]</t>?]</p>");
  const TrackRecord timed{.UnixTime = 60, .Alt = 5, .AltKnown = true}, untimed{.Alt = 5};
  EXPECT_EQ(BuildRecordItem(item, 0, timed), "<p><e>5.00</e><t>1970-01-01T00:01:00Z</t></p>");
  EXPECT_EQ(BuildRecordItem(item, 0, untimed), "<p></p>");
  // A photo item's position placeholders make groups too: a waypoint without a height has no <ele>.
  Photo photo;
  photo.Name = "a.jpg";
  photo.OwnGps = GeoPosition{35.5, 139.25, {}};
  const std::string_view waypoint = "[?<ele>[alt:known]</ele>?][?[lat:full],[lng:full]?]|[where]";
  EXPECT_EQ(BuildPhotoItem(waypoint, 1, photo), "35.5,139.25|gps");
  photo.OwnGps->Alt = 12.5;
  EXPECT_EQ(BuildPhotoItem(waypoint, 1, photo), "<ele>12.50</ele>35.5,139.25|gps");
  EXPECT_EQ(BuildPhotoItem(waypoint, 1, Photo{}), "|");
  // What the grid shows: a carried thumbnail, else a HEIF photo's preview, else the photo itself.
  Photo heif;
  heif.Preview = "data:image/jpeg;base64,AA==";
  EXPECT_EQ(BuildPhotoItem("[file:thumb]", 1, heif, "data:t"), "data:t");
  EXPECT_EQ(BuildPhotoItem("[file:thumb]", 1, heif), heif.Preview);
  EXPECT_EQ(BuildPhotoItem("[file:thumb]", 1, photo), "a.jpg");
}

// A track of `points` records, `step` seconds apart from 0, and the body rendered and filled from
// `text`.
struct PageMaker {
  std::string Make(std::string_view text, int points, int step = 60) {
    SectionStore sections;
    ParseSections(text, sections);
    Track track;
    track.TotalDist = 12.345;
    track.AvgSpeed = 0.004;
    for (int i = 0; i < points; ++i) track.Records.push_back({.UnixTime = step * i});
    std::string page = RenderRecords(sections, track, progress);
    FillPlaceholders(page, sections, track, {}, 1000 + points, kLog);
    return page;
  }

  static constexpr const char* kLog = "/no such folder/<b>\"a&b'.log";
  testing::RecordingProgress progress;
};

// Body placeholders in record items, filled in every item, are an end-to-end case (every-placeholder).
TEST(RenderPage, FillsTheBodyByItsRules) {
  const struct {
    const char* what;
    const char* text;
    int points;
    std::string page;
    int step = 60;  // seconds from one record to the next; record 0 is untimed
  } cases[] = {
      {"no records still fill the totals", "[[recordlist]] [numrecord] [numphoto] [totaldist] [avgspeed]\r\n*recordlist\r\n[index]",
       0, "[] 1000 0 12.35 .00"},
      {"every occurrence of the list gets the whole list", "<[recordlist]|[recordlist]>\r\n*recordlist\r\n[index]", 2,
       "<0\r\n1\r\n|0\r\n1\r\n>"},
      {"an empty item adds no line break", "<[recordlist]>\r\n*recordlist\r\n", 3, "<>"},
      {"the log name escaped for markup", "[filename:html]", 0, "/no such folder/&lt;b&gt;&quot;a&amp;b&#39;.log"},
      {"the earliest and latest timed fix", "[starttime:iso] [endtime:iso]", 3, "1970-01-01T00:01:00Z 1970-01-01T00:02:00Z"},
      {"also when time runs backwards", "[starttime:iso] [endtime:iso]", 3, "1969-12-31T23:58:00Z 1969-12-31T23:59:00Z", -60},
      {"no timed fix", "<[starttime:iso]|[endtime:iso]>", 1, "<|>"},
      {"points, not the log's sentences", "[numpoint] [numrecord]", 3, "3 1003"},
  };
  for (const auto& c : cases) EXPECT_EQ(PageMaker().Make(c.text, c.points, c.step), c.page) << c.what;
}

// The count without a record list is checked with the run's progress texts (driver_test.cpp).
TEST(RenderPage, ReportsProgressEveryHundredRecordsAndAtTheEnd) {
  PageMaker many, none;
  many.Make("[recordlist]\r\n*recordlist\r\n[index]", 250);
  none.Make("[recordlist]", 0);
  EXPECT_THAT(many.progress.events, ElementsAre("record 0/250", "record 100/250", "record 200/250", "record 250/250"));
  EXPECT_THAT(none.progress.events, ElementsAre());
}

// Two days and a day without a timed fix: the records carry their segments, the segment list its
// own times and totals (a group of a time the segment lacks left out); a track never cut into
// segments is one, a track without records none.
TEST(RenderPage, ShowsTheSegments) {
  Track days;
  days.Records = {{.UnixTime = 86400, .LocalTime = 25570.25}, {.UnixTime = 97200, .LocalTime = 25570.375, .Dist = 1.5},
                  {.UnixTime = 180000, .Fraction = .5, .LocalTime = 25571.25, .FractionDigits = 1, .Segment = 1, .Dist = 1.5},
                  {.UnixTime = 172800, .LocalTime = 25571, .Segment = 1, .Dist = 4}, {.Segment = 2}};
  days.Segments = {{0, 2, {}, 1.5, 10800, 3599}, {2, 2, {}, 2.5, 7200, 360061}, {4, 1, {}}};
  Track uncut = days, empty;
  uncut.Segments.clear();
  for (TrackRecord& record : uncut.Records) record.Segment = 0;
  const char* list = "[segmentlist]\r\n*segmentlist\r\n[segment]/[numsegment] [segnumrecord] [segfirst]-[seglast] [segstart] "
                     "[segend] [segstart:iso] [segend:iso] [segdist] [segelapsed] [segmoving] [logname]";
  const struct {
    const char* what;
    const Track& track;
    const char* text;
    std::string page;
  } cases[] = {
      {"a break before each segment after the first", days, "<[recordlist]>\r\n*recordlist\r\n[index]:[segment]\r\n*segmentbreak\r\n--",
       "<0:1\r\n1:1\r\n--\r\n2:2\r\n3:2\r\n--\r\n4:3\r\n>"},
      {"no break without the section", days, "[recordlist]\r\n*recordlist\r\n[segment]", "1\r\n1\r\n2\r\n2\r\n3\r\n"},
      {"each segment's times and totals", days, list,
       "1/3 2 0-1 1970/01/02 06:00:00 1970/01/02 09:00:00 1970-01-02T00:00:00Z 1970-01-02T03:00:00Z 1.50 3:00:00 0:59:59 "
       "\"a&b'.log\r\n2/3 2 2-3 1970/01/03 00:00:00 1970/01/03 06:00:00 1970-01-03T00:00:00Z 1970-01-03T02:00:00.5Z 2.50 2:00:00 "
       "100:01:01 \"a&b'.log\r\n3/3 1 4-4     .00 0:00:00 0:00:00 \"a&b'.log\r\n"},
      {"a track never cut is one segment", uncut, "[numsegment] [segmentlist]\r\n*segmentlist\r\n[segment] [segfirst]-[seglast]",
       "1 1 0-4\r\n"},
      {"no records, no segment", empty, "[numsegment]<[segmentlist]>\r\n*segmentlist\r\n[segment]", "0<>"},
      {"no list without the section", days, "<[segmentlist]>", "<>"},
      {"a group left out where a segment has no timed point", days, "[segmentlist]\r\n*segmentlist\r\n[segment][?@[segend:iso]?]",
       "1@1970-01-02T03:00:00Z\r\n2@1970-01-03T02:00:00.5Z\r\n3\r\n"},
  };
  for (const auto& c : cases) {
    SectionStore sections;
    ParseSections(c.text, sections);
    testing::RecordingProgress progress;
    std::string page = RenderRecords(sections, c.track, progress);
    FillPlaceholders(page, sections, c.track, {}, 0, "/logs/\"a&b'.log");
    EXPECT_EQ(page, c.page) << c.what;
  }
}

// A dot in a folder's name, an extension from the template, and names with blanks and dots are
// end-to-end cases.
TEST(OutputPathFor, ReplacesTheFileNamesExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"/logs/TRIP.LOG", "/logs/TRIP.html"}, {"/logs/trip", "/logs/trip.html"}, {"/logs/trip.", "/logs/trip.html"},
      {"/logs/.trip", "/logs/.trip.html"},  // the dot of a hidden file is no extension
      {"/logs/trip.HTML", "/logs/trip.html"},
  };
  for (const auto& [log, page] : cases) EXPECT_EQ(OutputPathFor(log), page) << log;
}

// The page's pieces, numbered: "piece 0;" ... as many as asked for, each made slowly enough
// that the threads finish them out of order. Counts the pieces made.
class NumberedPieces final : public PageSource {
 public:
  explicit NumberedPieces(std::size_t count) : count_(count) {}
  std::size_t PieceCount() const override { return count_; }
  void MakePiece(std::size_t k, std::string& into) const override {
    ++made;
    into = "piece " + std::to_string(k) + ";";
    if (k % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  mutable std::atomic<std::size_t> made = 0;

 private:
  std::size_t count_;
};

// What WritePieces writes into a new file.
std::string WrittenBytes(const PageSource& page, const Parallelism& work) {
  testing::TempDir dir;
  const std::string path = dir.Write("page", "");
  platform::SystemError error = 0;
  const platform::NativeFile file = platform::OpenExistingForWriting(path, error);
  std::exception_ptr failure;
  EXPECT_TRUE(file != platform::kNoFile && WritePieces(file, page, work, failure, error) && !failure);
  platform::CloseFile(file);
  return testing::ReadAll(path);
}

// Pieces made on several threads are written in page order. Overlong forms, surrogates, code
// points past U+10FFFF, cut sequences and Shift_JIS bytes are each replaced by U+FFFD (once per
// byte that cannot start or continue a character); a page of no bytes is one blank.
TEST(WritePieces, InPageOrderAsUtf8) {
  std::string expected;
  for (int k = 0; k < 300; ++k) expected += "piece " + std::to_string(k) + ";";
  EXPECT_EQ(WrittenBytes(NumberedPieces(300), {4, 0}), expected);

  const std::string r = "\xEF\xBF\xBD";
  const std::pair<std::string, std::string> cases[] = {
      {"plain ASCII, longer than eight bytes and longer than thirty-two", "plain ASCII, longer than eight bytes and longer than thirty-two"},
      {"aé日\xF0\x9F\x98\x80", "aé日\xF0\x9F\x98\x80"}, {"", " "},
      {"IMG\xFF.jpg", "IMG" + r + ".jpg"}, {"\x80", r}, {"\xC0\xAF", r + r}, {"\xED\xA0\x80", r + r + r},
      {"\xF4\x90\x80\x80", r + r + r + r}, {"abcdefgh\xE6\x97", "abcdefgh" + r + r}, {"\x83\x65", r + "e"},
      {std::string(40, 'a') + "\xFF", std::string(40, 'a') + r},
  };
  for (const auto& [text, bytes] : cases) EXPECT_EQ(WrittenBytes(WholePage(text), {1, 0}), bytes) << text;
}

#ifndef _WIN32  // /dev/full, a device that is always full, is Linux's
// A write that fails ends the writing: the pieces after it are not made.
TEST(WritePieces, StopsAtAFailedWrite) {
  const int full = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  const NumberedPieces page(50);
  std::exception_ptr failure;
  platform::SystemError error = 0;
  EXPECT_FALSE(WritePieces(full, page, {1, 0}, failure, error));
  EXPECT_EQ(error, ENOSPC);
  EXPECT_EQ(page.made.load(), 1u);
  ::close(full);
}
#endif

// A piece that cannot be made (memory runs out) leaves the earlier page as it was and no file
// behind, and the run hears of it as it came.
TEST(WritePage, APieceThatCannotBeMadeLeavesNoFile) {
  class FailingPieces final : public PageSource {
   public:
    std::size_t PieceCount() const override { return 40; }
    void MakePiece(std::size_t k, std::string& into) const override {
      if (k == 30) throw std::bad_alloc();
      into = "piece\n";
    }
  };
  testing::TempDir dir;
  const std::string page = dir.Write("trip.html", "earlier");
  EXPECT_THROW(WritePage(page, FailingPieces(), dir.File("trip.log"), {3, 0}), std::bad_alloc);
  EXPECT_EQ(testing::ReadAll(page), "earlier");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

#ifndef _WIN32  // permissions and the umask are POSIX's
// A page is replaced whole; an earlier page keeps its permissions, and a new one gets those of a
// new file (rw-r--r-- under umask 022). Refusing the log or a folder where the page goes, a write
// failing part-way, and no temporary file left, are end-to-end cases.
TEST(WritePage, ReplacesAPageWholeWithTheUsualPermissions) {
  testing::TempDir dir;
  const std::string page = dir.File("trip.html");
  const mode_t previousMask = ::umask(022);
  for (const mode_t earlier : {0u, 0640u}) {
    if (earlier != 0) ::chmod(dir.Write("trip.html", std::string(1000, 'x')).c_str(), earlier);
    EXPECT_FALSE(WritePage(page, WholePage("short"), dir.File("trip.log")).has_value());
    EXPECT_EQ(testing::ReadAll(page), "short");
    struct stat info {};
    EXPECT_TRUE(::stat(page.c_str(), &info) == 0 && (info.st_mode & 0777) == (earlier != 0 ? earlier : 0644)) << earlier;
  }
  ::umask(previousMask);
}
#endif

}  // namespace
}  // namespace routelet
