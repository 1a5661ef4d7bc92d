// The command line, the terminal front end, and the run's order of events through a front end.
// What the program writes and says in the terminal, template errors among them, is checked end
// to end (end_to_end_test.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    std::string unknown = "";
    bool open = false;
  } cases[] = {
      {{}, "", Choice::kDefault, false, false},
      {{"--console", "a", "", "b"}, "a  b", Choice::kTerminal, false, false},
      {{"--gui", "--console", "x"}, "x", Choice::kTerminal, false, false},
      {{"--gui", "x"}, "x", Choice::kDesktop, false, false},
      {{"--open", "--console", "x"}, "x", Choice::kTerminal, false, false, "", true},
      {{"trip.log", "--console", "-x"}, "trip.log --console -x", Choice::kDefault, false, false},
      {{"--", "--help"}, "--help", Choice::kDefault, false, false},
      {{"-", "x"}, "- x", Choice::kDefault, false, false},  // "-" alone is a word of the path
      {{"--help"}, "", Choice::kDefault, true, false},
      {{"-h", "-V"}, "", Choice::kDefault, true, true},
      {{"--version", "--", "x"}, "x", Choice::kDefault, false, true},
      {{"-x", "y"}, "", Choice::kDefault, false, false, "-x"},
      {{"--console", "--help=all", "-h", "y"}, "", Choice::kTerminal, false, false, "--help=all"},
  };
  for (const auto& c : cases) {
    const Options options = ParseCommandLine(c.args);
    EXPECT_EQ(std::tie(options.LogPath, options.FrontEnd, options.Help, options.Version, options.UnknownOption,
                       options.OpenPage),
              std::tie(c.path, c.frontEnd, c.help, c.version, c.unknown, c.open)) << c.path << c.unknown;
  }
}

// --help speaks the language of the locale's messages. The Japanese locale is made for the
// test (localedef, from Debian package locales), so the machine needs none installed.
TEST(Help, InTheLocalesLanguage) {
  testing::TempDir locales;
  const std::string made = "localedef -i ja_JP -f UTF-8 " + locales.File("ja_JP.UTF-8") + " >/dev/null 2>&1";
  if (std::system(made.c_str()) != 0) GTEST_SKIP() << "no Japanese locale could be made (Debian package locales)";
  const std::pair<const char*, const char*> cases[] = {
      {"LANG=ja_JP.UTF-8", "使い方: routelet [オプション]... [--] [ログのパスの語...]"},
      {"LANG=ja_JP.UTF-8 LC_ALL=C", "Usage: routelet [OPTION]... [--] [LOG WORDS...]"},
      {"LANG=C.UTF-8 LC_MESSAGES=ja_JP.UTF-8", "使い方: routelet [オプション]... [--] [ログのパスの語...]"},
  };
  for (const auto& [locale, usage] : cases) {
    const std::string command = "env -i LOCPATH=" + locales.path().string() + " " + locale + " " ROUTELET_BUILD_DIR "/routelet --help";
    std::FILE* out = popen(command.c_str(), "r");
    char line[200] = "";
    (void)!std::fgets(line, sizeof line, out);  // nothing read leaves it empty
    pclose(out);
    EXPECT_EQ(std::string(line), std::string(usage) + "\n") << locale;
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

// --open: the page is opened once it is written, and only then; a page that cannot be opened
// is said so, and the run still succeeded.
TEST(Run, OpensOnlyAWrittenPage) {
  testing::TempDir dir;
  const std::string log = dir.Write("trip.log", LogOf150Fixes()), page = dir.File("trip.html");
  // The template, the log, why the page cannot be opened, the run's result and its last message.
  const std::tuple<const char*, std::string, std::optional<std::string>, RunResult, std::string> cases[] = {
      {"x", log, std::nullopt, RunResult::kPageWritten, ""},
      {"x", log, "no browser", RunResult::kPageWritten, page + "を開けません（no browser）"},
      {"", log, std::nullopt, RunResult::kEmptyPage, ""},
      {"x", dir.File("none.log"), std::nullopt, RunResult::kFailed, dir.File("none.log") + "が正しく読みこめません"},
  };
  for (const auto& [text, logPath, openAnswer, result, lastMessage] : cases) {
    testing::RecordingFrontEnd ui;
    ui.openAnswer = openAnswer;
    Options options;
    options.OpenPage = true;
    options.LogPath = logPath;
    options.TemplatePath = dir.Write("template.dat", text);
    EXPECT_EQ(RunConversion(options, ui), result);
    EXPECT_EQ(std::ranges::count(ui.events, "open:" + page), result == RunResult::kPageWritten) << lastMessage;
    EXPECT_EQ(ui.messages.empty() ? "" : ui.messages.back().text, lastMessage);
  }
}

}  // namespace
}  // namespace routelet
