// The page: record items, the body's placeholders, the page's name and writing it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "output/build_page.h"
#include "output/record_item.h"
#include "output/write_output.h"
#include "runtime/text_helpers.h"
#include "runtime/value_texts.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

// Filling the items' placeholders one after another over the whole section is the rule; the
// one-pass item must agree with it whatever the section holds.
TEST(RecordItem, AgreesWithFillingOnePlaceholderAfterAnother) {
  const TrackRecord r{.UnixTime = 999999999, .TimeText = "2001/09/09 10:46:39", .Lat = 35.652056666, .Lng = -0.25,
                      .Alt = 123.44999694824219, .Speed = 12.345, .Dist = 0.5};
  const std::pair<const char*, std::string> fills[] = {
      {"[index]", "42"},  {"[time]", RightAligned10(r.UnixTime)}, {"[timestr]", r.TimeText},
      {"[lat]", NumberText(r.Lat, 4)}, {"[lng]", NumberText(r.Lng, 4)}, {"[alt]", NumberText(r.Alt, 2)},
      {"[dist]", NumberText(r.Dist, 2)}, {"[speed]", NumberText(r.Speed, 2)},
  };
  for (const char* section : {"", "no placeholders at all", "[lat][lat] [LAT] [Lat] [foo] [filename] [photolist]",
                              "[ti[time]me] [[index]] [time [timestr]] [speed",
                              "[index][time][timestr][lat][lng][alt][dist][speed]", "[", "]", "[[", "[index]]"}) {
    std::string expected = section;
    for (const auto& [placeholder, value] : fills) expected = ReplaceAll(expected, placeholder, value);
    const RecordItemTemplate t(section);
    EXPECT_EQ(BuildRecordItem(t, 42, r), expected) << section;
    EXPECT_EQ(t.empty(), *section == '\0');
  }
}

// A state as the run leaves it before the page is built: template read, log lines kept.
class BuildPageTest : public ::testing::Test {
 protected:
  // The page for `fixes` position sentences one minute apart, moving east.
  std::string Build(std::string_view text, int fixes) {
    state.Sections.clear();
    state.Photos = 0;
    ParseSections(text, state.Sections);
    sentences.clear();
    for (int i = 0; i < fixes; ++i) {
      char line[96];
      std::snprintf(line, sizeof line, "$GPRMC,%02d%02d00,A,3500.0000,N,13900.%04d,E,0,0,010111,,", i / 60, i % 60, i);
      sentences.emplace_back(line);
    }
    state.LogLines.lines.assign(sentences.begin(), sentences.end());
    state.LogPath = kLog;  // in no folder: no photos
    state.Track.ResetSpan();
    return BuildPage(state, ui);
  }

  static constexpr const char* kLog = "/no such folder/<b>\"a&b'.log";
  std::vector<std::string> sentences;  // the kept lines' text
  RunState state;
  testing::RecordingFrontEnd ui;
};

TEST_F(BuildPageTest, FillsTheBodyByItsRules) {
  const std::string log = kLog;
  const struct {
    const char* what;
    const char* text;
    int fixes;
    std::string page;
  } cases[] = {
      {"no records still fill the totals", "[[recordlist]] [numrecord] [numphoto] [totaldist] [avgspeed]\r\n*recordlist\r\n[index]",
       0, "[] 0 0 .00 .00"},
      // "[recordlist]" in the photo item stays: its step is over.
      {"body placeholders in items are filled in every item",
       "[recordlist]|[photolist]\r\n*recordlist\r\n[index] [numrecord] [filename] [photolist]\r\n*photolist\r\n[recordlist]",
       2, "0 2 " + log + " \r\n1 2 " + log + " \r\n|"},
      {"every occurrence of the list gets the whole list", "<[recordlist]|[recordlist]>\r\n*recordlist\r\n[index]", 2,
       "<0\r\n1\r\n|0\r\n1\r\n>"},
      {"an empty item adds no line break", "<[recordlist]>\r\n*recordlist\r\n", 3, "<>"},
      {"the log name escaped for markup", "[filename:html]", 0, "/no such folder/&lt;b&gt;&quot;a&amp;b&#39;.log"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Build(c.text, c.fixes), c.page) << c.what;
  }
}

TEST_F(BuildPageTest, ReportsProgressEveryHundredRecordsWithOrWithoutAList) {
  const std::string page = Build("[recordlist]\r\n*recordlist\r\n[index]", 250);
  EXPECT_THAT(ui.progress, ElementsAre("ルートデータ出力中：0/250", "ルートデータ出力中：100/250", "ルートデータ出力中：200/250"));
  EXPECT_TRUE(page.starts_with("0\r\n1\r\n2\r\n") && page.ends_with("\r\n248\r\n249\r\n"));
  ui.progress.clear();
  EXPECT_EQ(Build("[numrecord]\r\n*recordlist\r\n[index]", 101), "101");
  EXPECT_THAT(ui.progress, ElementsAre("ルートデータ出力中：0/101", "ルートデータ出力中：100/101"));
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::ptrdiff_t FilesIn(const testing::TempDir& dir) { return std::distance(std::filesystem::directory_iterator(dir.path()), {}); }

TEST(OutputPathFor, ReplacesTheFileNamesExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"/logs/a.b.log", "/logs/a.b.html"}, {"/logs/TRIP.LOG", "/logs/TRIP.html"}, {"/logs/trip", "/logs/trip.html"},
      {"/logs/trip.", "/logs/trip.html"},  {"trip.nmea", "trip.html"},             {"./trip", "./trip.html"},
      {"/old.logs/trip", "/old.logs/trip.html"},  // a dot in a folder name is no extension
      {"/logs/.trip", "/logs/.trip.html"},        // nor is the dot of a hidden file
      {"/logs/trip.HTML", "/logs/trip.html"},
  };
  for (const auto& [log, page] : cases) EXPECT_EQ(OutputPathFor(log), page) << log;
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

TEST(WriteOutputFile, ReplacesAnEarlierLongerPageWhole) {
  testing::TempDir dir;
  testing::RecordingFrontEnd ui;
  dir.Write("trip.html", std::string(1000, 'x'));
  ASSERT_TRUE(WriteOutputFile(dir.File("trip.log"), "short", ui));
  EXPECT_EQ(ReadAll(dir.File("trip.html")), "short");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(FilesIn(dir), 1);  // no temporary file is left
}

TEST(WriteOutputFile, AFolderWhereThePageGoesIsToldAndLeftAlone) {
  testing::TempDir dir;
  testing::RecordingFrontEnd ui;
  std::filesystem::create_directory(dir.File("trip.html"));
  EXPECT_FALSE(WriteOutputFile(dir.File("trip.log"), "new page", ui));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("trip.html")));
  EXPECT_EQ(FilesIn(dir), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
}

TEST(WriteOutputFile, AWriteFailingPartWayIsToldAndLeavesTheEarlierPage) {
  // A file size limit makes writes fail part-way, as a full disk does.
  testing::TempDir dir;
  dir.Write("trip.html", "earlier page");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    testing::RecordingFrontEnd ui;
    const bool written = WriteOutputFile(dir.File("trip.log"), std::string(5000, 'p'), ui);
    ::_exit(!written && ui.messages.size() == 1 && ui.messages[0].title == "エラー" ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failure was not reported";
  EXPECT_EQ(ReadAll(dir.File("trip.html")), "earlier page");
  EXPECT_EQ(FilesIn(dir), 1);
}

}  // namespace
}  // namespace routelet
