// The command line, the terminal front end, and the run's order of events through a front end.
// What the program writes and says in the terminal, template errors among them, is checked end
// to end (end_to_end_test.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>

#include "driver/command_line.h"
#include "driver/console_front_end.h"
#include "driver/run.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

using Choice = CommandLine::FrontEndChoice;

TEST(ParseCommandLine, OptionsFirstThenOnePathOfAllTheRest) {
  const struct {
    std::vector<std::string_view> args;
    std::string path;
    Choice frontEnd;
    bool help, version;
  } cases[] = {
      {{}, "", Choice::kDefault, false, false},
      {{"--console", "a", "", "b"}, "a  b", Choice::kTerminal, false, false},
      {{"--gui", "--console", "x"}, "x", Choice::kTerminal, false, false},
      {{"--gui", "x"}, "x", Choice::kDesktop, false, false},
      {{"trip.log", "--console"}, "trip.log --console", Choice::kDefault, false, false},
      {{"--", "--help"}, "--help", Choice::kDefault, false, false},
      {{"-x", "y"}, "-x y", Choice::kDefault, false, false},  // nothing else is an option
      {{"--help"}, "", Choice::kDefault, true, false},
      {{"--version", "--", "x"}, "x", Choice::kDefault, false, true},
  };
  for (const auto& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(std::tie(line.logPath, line.frontEnd, line.help, line.version),
              std::tie(c.path, c.frontEnd, c.help, c.version)) << c.path;
  }
}

// A front end on two temporary files standing in for the terminal's input and stderr.
struct Terminal {
  explicit Terminal(std::string_view typed, bool errIsTerminal = true, bool inIsTerminal = true)
      : in(std::tmpfile()), err(std::tmpfile()), ui(in, err, errIsTerminal, inIsTerminal) {
    std::fwrite(typed.data(), 1, typed.size(), in);
    std::rewind(in);
  }
  ~Terminal() {
    std::fclose(in);
    std::fclose(err);
  }
  std::string Written() {
    std::rewind(err);
    std::string text;
    for (int c = std::fgetc(err); c != EOF; c = std::fgetc(err)) text.push_back(static_cast<char>(c));
    return text;
  }

  std::FILE* in;
  std::FILE* err;
  ConsoleFrontEnd ui;
};

// Without a terminal on stderr no progress is written: the end-to-end cases show that.
TEST(ConsoleFrontEnd, ProgressRewritesOneLineAndMessagesCarryTheirTitle) {
  Terminal t("");
  t.ui.SetProgress("GPSデータ解析中：100行目");
  t.ui.ShowMessage("x.logが見つかりません", "");
  t.ui.ShowMessage("x.logが正しく読みこめません", "エラー");
  EXPECT_EQ(t.Written(),
            "\r\x1b[KGPSデータ解析中：100行目\r\x1b[K"
            "Routelet: x.logが見つかりません\nエラー: x.logが正しく読みこめません\n");
}

// What is typed up to the end of the line is the path. Without a terminal to type into,
// nothing is asked and nothing is read.
TEST(ConsoleFrontEnd, ThePromptTakesOneLine) {
  const struct {
    const char *typed, *path;
    bool inIsTerminal;
  } cases[] = {{"my trip.log\nnext\n", "my trip.log", true}, {"trip.log\r\n", "trip.log", true},
               {"\n", "", true}, {"", "", true}, {"trip.log\n", "", false}};
  for (const auto& c : cases) {
    Terminal t(c.typed, true, c.inIsTerminal);
    EXPECT_EQ(t.ui.ChooseLogFile(), c.path) << c.typed;
    EXPECT_EQ(t.Written(), c.inIsTerminal ? "GPSログ: " : "");
    EXPECT_EQ(t.ui.CouldNotAsk(), !c.inIsTerminal);
  }
}

constexpr std::string_view kLog = "$GPRMC,000000,A,0000.0000,N,00000.0000,E,0.0,0.0,010111,,\r\n";

// Without a path the user is asked: a cancelled choice ends silently, a chosen log is converted
// and the window closes. (The messages of a failed run and their order are checked end to end,
// and on the desktop by desktop_session_test.sh.)
TEST(Run, WithoutAPathTheUserChooses) {
  testing::TempDir dir;
  const std::string templatePath = dir.Write("template.dat", "[numrecord]");
  testing::RecordingFrontEnd ui;
  EXPECT_EQ(RunConversion("", templatePath, ui), RunResult::kCancelled);
  EXPECT_THAT(ui.events, ElementsAre("choose"));
  EXPECT_EQ(ExitStatusFor(RunResult::kCancelled), 0);
  ui.chooserAnswer = dir.Write("trip.log", kLog);
  EXPECT_EQ(RunConversion("", templatePath, ui), RunResult::kPageWritten);
  EXPECT_TRUE(std::filesystem::exists(dir.File("trip.html")));
  EXPECT_EQ(ui.events.back(), "close");
}

}  // namespace
}  // namespace routelet
