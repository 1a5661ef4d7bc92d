// The command line, the terminal front end, and the run's order of events through a front end.
// What the program writes and says in the terminal, template errors among them, is checked end
// to end (end_to_end_test.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <optional>
#include <tuple>

#include "driver/command_line.h"
#include "driver/console_front_end.h"
#include "driver/run.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

using Choice = Options::FrontEndChoice;

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
    const Options options = ParseCommandLine(c.args);
    EXPECT_EQ(std::tie(options.LogPath, options.FrontEnd, options.Help, options.Version),
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
// nothing is asked, nothing is read, and the answer says so.
TEST(ConsoleFrontEnd, ThePromptTakesOneLine) {
  const struct {
    const char* typed;
    std::optional<std::string> path;
  } cases[] = {{"my trip.log\nnext\n", "my trip.log"}, {"trip.log\r\n", "trip.log"}, {"\n", ""}, {"", ""}};
  for (const auto& c : cases) {
    Terminal t(c.typed);
    EXPECT_EQ(t.ui.ChooseLogFile(), c.path) << c.typed;
    EXPECT_EQ(t.Written(), "GPSログ: ");
  }
  Terminal noTerminal("trip.log\n", true, false);
  EXPECT_EQ(noTerminal.ui.ChooseLogFile(), std::nullopt);
  EXPECT_EQ(noTerminal.Written(), "");
}

// A log of 150 lines, one fix each, one second apart.
std::string LogOf150Fixes() {
  std::string log;
  for (int i = 0; i < 150; ++i) {
    char line[80];
    std::snprintf(line, sizeof line, "$GPRMC,00%02d%02d,A,3500.0000,N,13900.0000,E,0.0,0.0,010111,,\r\n", i / 60, i % 60);
    log += line;
  }
  return log;
}

// Without a path the user is asked: a cancelled choice ends silently; a chosen log is converted
// with every progress text in order, and the window closes. (The messages of a failed run and
// their order are checked end to end, and on the desktop by desktop_session_test.sh.)
TEST(Run, WithoutAPathTheUserChoosesAndSeesTheProgress) {
  testing::TempDir dir;
  Options options;
  options.TemplatePath = dir.Write("template.dat", "[numrecord] [numphoto]");
  testing::RecordingFrontEnd ui;
  EXPECT_EQ(RunConversion(options, ui), RunResult::kCancelled);
  EXPECT_THAT(ui.events, ElementsAre("choose"));
  ui.chooserAnswer = std::nullopt;
  EXPECT_EQ(RunConversion(options, ui), RunResult::kNoOneToAsk);
  EXPECT_EQ(ExitStatusFor(RunResult::kCancelled), 0);
  EXPECT_EQ(ExitStatusFor(RunResult::kNoOneToAsk), 1);

  ui = {};
  ui.chooserAnswer = dir.Write("trip.log", LogOf150Fixes());
  dir.Write("a.jpg", "not a photo");
  EXPECT_EQ(RunConversion(options, ui), RunResult::kPageWritten);
  EXPECT_THAT(ui.events, ElementsAre("choose", "show", "progress:GPSデータ解析中", "progress:GPSデータ解析中：100行目",
                                     "progress:ルートデータ出力中：0/150", "progress:ルートデータ出力中：100/150",
                                     "progress:ルートデータ出力中：150/150",
                                     "progress:画像データExif情報解析中：a.jpg", "close"));
  EXPECT_EQ(testing::ReadAll(dir.File("trip.html")), "150 0");
}

}  // namespace
}  // namespace routelet
