#include "output/build_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;
using testing::RecordingFrontEnd;

// A state as the run leaves it before the page is built: template read, log lines kept.
class BuildPageTest : public ::testing::Test {
 protected:
  void UseTemplate(std::string_view text) { ParseSections(text, state.Sections); }

  // Keeps `count` position sentences one minute apart, moving east.
  void KeepFixes(int count) {
    for (int i = 0; i < count; ++i) {
      char line[96];
      std::snprintf(line, sizeof line, "$GPRMC,%02d%02d00,A,3500.0000,N,13900.%04d,E,0,0,010111,,\n",
                    i / 60, i % 60, i);
      state.LogLines.buffer += line;
    }
    std::string_view rest = state.LogLines.buffer;
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
      state.LogLines.lines.push_back(rest.substr(0, end));
    }
  }

  testing::TempDir dir;
  RunState state;
  RecordingFrontEnd ui;

  void SetUp() override {
    state.LogPath = dir.File("trip.log");
    state.Track.ResetSpan();
  }
};

TEST_F(BuildPageTest, ReportsProgressEveryHundredRecords) {
  UseTemplate("[recordlist]\r\n*recordlist\r\n[index]");
  KeepFixes(250);
  const std::string page = BuildPage(state, ui);
  EXPECT_THAT(ui.progress, ElementsAre("ルートデータ出力中：0/250", "ルートデータ出力中：100/250",
                                       "ルートデータ出力中：200/250"));
  EXPECT_TRUE(page.starts_with("0\r\n1\r\n2\r\n"));
  EXPECT_TRUE(page.ends_with("\r\n248\r\n249\r\n"));
}

TEST_F(BuildPageTest, NoRecordsStillFillsTheTotals) {
  UseTemplate("[[recordlist]] [numrecord] [numphoto] [totaldist] [avgspeed]\r\n*recordlist\r\n[index]");
  EXPECT_EQ(BuildPage(state, ui), "[] 0 0 .00 .00");
  EXPECT_TRUE(ui.progress.empty());
}

TEST_F(BuildPageTest, BodyPlaceholdersInsideItemsAreFilledInEveryItem) {
  UseTemplate("[recordlist]|[photolist]\r\n*recordlist\r\n[index] [numrecord] [filename] [photolist]\r\n"
              "*photolist\r\n[recordlist]");
  KeepFixes(2);
  // No photo lies beside the log, so the photo list is empty; "[recordlist]" written in the
  // photo item would stay, its step being over.
  const std::string path = state.LogPath;
  EXPECT_EQ(BuildPage(state, ui), "0 2 " + path + " \r\n1 2 " + path + " \r\n|");
}

TEST_F(BuildPageTest, EveryOccurrenceOfTheListGetsTheWholeList) {
  UseTemplate("<[recordlist]|[recordlist]>\r\n*recordlist\r\n[index]");
  KeepFixes(2);
  EXPECT_EQ(BuildPage(state, ui), "<0\r\n1\r\n|0\r\n1\r\n>");
}

TEST_F(BuildPageTest, ProgressIsShownEvenWithoutAList) {
  UseTemplate("[numrecord]\r\n*recordlist\r\n[index]");
  KeepFixes(101);
  EXPECT_EQ(BuildPage(state, ui), "101");
  EXPECT_THAT(ui.progress, ElementsAre("ルートデータ出力中：0/101", "ルートデータ出力中：100/101"));
}

TEST_F(BuildPageTest, AnEmptyItemAddsNoLineBreak) {
  UseTemplate("<[recordlist]>\r\n*recordlist\r\n");
  KeepFixes(3);
  EXPECT_EQ(BuildPage(state, ui), "<>");
}

TEST_F(BuildPageTest, TheLogNameIsEscapedForMarkup) {
  state.LogPath = dir.File("<b>\"a&b'.log");
  UseTemplate("[filename:html]");
  EXPECT_EQ(BuildPage(state, ui), dir.File("&lt;b&gt;&quot;a&amp;b&#39;.log"));
}

}  // namespace
}  // namespace routelet
