// The text of the page: record items and the body's placeholders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "output/build_page.h"
#include "output/record_item.h"
#include "runtime/dates.h"
#include "runtime/text_helpers.h"
#include "support/recording_front_end.h"

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
    state.LogLines.buffer.clear();
    state.LogLines.lines.clear();
    state.Photos = 0;
    ParseSections(text, state.Sections);
    for (int i = 0; i < fixes; ++i) {
      char line[96];
      std::snprintf(line, sizeof line, "$GPRMC,%02d%02d00,A,3500.0000,N,13900.%04d,E,0,0,010111,,\n", i / 60, i % 60, i);
      state.LogLines.buffer += line;
    }
    std::string_view rest = state.LogLines.buffer;
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
      state.LogLines.lines.push_back(rest.substr(0, end));
    }
    state.LogPath = kLog;  // in no folder: no photos
    state.Track.ResetSpan();
    return BuildPage(state, ui);
  }

  static constexpr const char* kLog = "/no such folder/<b>\"a&b'.log";
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

}  // namespace
}  // namespace routelet
