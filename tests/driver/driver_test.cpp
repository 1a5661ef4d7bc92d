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
#include "photos/jpeg_builder.h"
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

// Options with a value take it after "=" or as the next argument, whatever it looks like; one
// not understood stops the parse and is kept as given.
TEST(ParseCommandLine, PhotoOptions) {
  const struct {
    std::vector<std::string_view> args;
    std::vector<std::string> folders;
    std::int32_t zoneMinutes;
    std::string zoneName;
    std::int64_t shift;
    std::string unusable, path;
  } cases[] = {
      {{"trip.log"}, {}, 540, "", 0, "", "trip.log"},
      {{"--photos=a b", "--photos", "--gui", "--camera-zone", "-05:00", "x"}, {"a b", "--gui"}, -300, "", 0, "", "x"},
      {{"--camera-zone=Europe/Rome", "--camera-shift", "-0:03:00", "--console", "x"}, {}, 0, "Europe/Rome", -180, "", "x"},
      {{"--camera-zone=UTC", "--camera-shift=+7", "--", "--photos=p"}, {}, 0, "", 7, "", "--photos=p"},
      {{"--camera-zone", "Mars", "x"}, {}, 540, "", 0, "--camera-zone Mars", ""},
      {{"--camera-shift=3 min", "x"}, {}, 540, "", 0, "--camera-shift=3 min", ""},
      {{"--photos="}, {}, 540, "", 0, "--photos=", ""},
      {{"--photos"}, {}, 540, "", 0, "--photos", ""},
      {{"--", "--photos", "y"}, {}, 540, "", 0, "", "--photos y"},
  };
  for (const auto& c : cases) {
    const Options o = ParseCommandLine(c.args);
    EXPECT_EQ(std::tie(o.Photos.Folders, o.Photos.Zone.OffsetMinutes, o.Photos.Zone.Name, o.Photos.ClockShiftSeconds,
                       o.Unusable, o.LogPath),
              std::tie(c.folders, c.zoneMinutes, c.zoneName, c.shift, c.unusable, c.path)) << c.args.front();
  }
}

// The template's and the page's paths take any value but an empty one.
TEST(ParseCommandLine, TemplateAndOutputPaths) {
  const struct {
    std::vector<std::string_view> args;
    std::string templatePath, output, unusable, path;
  } cases[] = {
      {{"--template=t.dat", "-o", "-", "x"}, "t.dat", "-", "", "x"},
      {{"--output", "--gui", "--template", "-", "x"}, "-", "--gui", "", "x"},
      {{"--output="}, "", "", "--output=", ""},
      {{"-o"}, "", "", "-o", ""},
      {{"--", "-o", "y"}, "", "", "", "-o y"},
  };
  for (const auto& c : cases) {
    const Options o = ParseCommandLine(c.args);
    EXPECT_EQ(std::tie(o.TemplatePath, o.OutputPath, o.Unusable, o.LogPath),
              std::tie(c.templatePath, c.output, c.unusable, c.path)) << c.args.front();
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
  // Control characters in names are shown, not obeyed: C0, DEL, and C1 written in UTF-8.
  t.ui.SetProgress("\x1b]52;c;eA==\x07\x7f\xc2\x9b" "2J\xc2\xa0\t\n");
  t.ui.ShowMessage("\x1b[2J", "");
  EXPECT_EQ(t.Written(),
            "\r\x1b[KGPSデータ解析中：100行目\r\x1b[K"
            "Routelet: x.logが見つかりません\nエラー: x.logが正しく読みこめません\n"
            "\r\x1b[K\\e]52;c;eA==\\x07\\x7f\\x9b2J\xc2\xa0\\x09\\x0a\r\x1b[KRoutelet: \\e[2J\n");
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

// A photo taken at `date` on a Japan-time camera.
std::string PhotoWith(const std::string& date) {
  using namespace testing;
  return Jpeg({ExifSegment(CameraTiff(ByteOrder::kLittle, std::nullopt, date))});
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
                                     "progress:ルートデータ出力中：150/150", "progress:画像データExif情報解析中：a.jpg",
                                     "summary:" + dir.File("trip.html") + "を書き出しました：150地点、0.00 km、写真0/1枚（撮影時刻なし1枚）",
                                     "close"));
  EXPECT_EQ(testing::ReadAll(dir.File("trip.html")), "150 0");
}

// After the page is written the terminal tells what was listed and why the rest was not. The
// log runs from 09:00:00 to 09:02:29 Japan time.
TEST(Run, TheTerminalSummarisesThePhotos) {
  const std::string inside = PhotoWith("2011:01:01 09:01:00"), outside = PhotoWith("2011:01:01 10:00:00");
  const struct {
    std::vector<std::string> photos;
    std::string summary;
  } cases[] = {
      {{inside, inside}, "150地点、0.00 km、写真2/2枚"},
      {{inside, outside, "no date"}, "150地点、0.00 km、写真1/3枚（記録の時間外1枚、撮影時刻なし1枚）"},
      {{outside, "no date"}, "150地点、0.00 km、写真0/2枚（記録の時間外1枚、撮影時刻なし1枚）。記録の時間内に撮られた"
                             "写真はありません。カメラの時計が日本時間でなければ、--camera-zone でその時間帯を指定"
                             "してください（例：--camera-zone=+02:00）"},
  };
  for (const auto& c : cases) {
    testing::TempDir dir;
    Options options;
    options.TemplatePath = dir.Write("template.dat", "[numphoto]");
    options.LogPath = dir.Write("trip.log", LogOf150Fixes());
    for (std::size_t i = 0; i < c.photos.size(); ++i) dir.Write(std::to_string(i) + ".jpg", c.photos[i]);
    Terminal t("");
    EXPECT_EQ(RunConversion(options, t.ui), RunResult::kPageWritten);
    EXPECT_THAT(t.Written(), ::testing::EndsWith("\r\x1b[K" + dir.File("trip.html") + "を書き出しました：" + c.summary + "\n"));
    Terminal file("", false);  // stderr is not a terminal: nothing is written
    EXPECT_EQ(RunConversion(options, file.ui), RunResult::kPageWritten);
    EXPECT_EQ(file.Written(), "");
  }
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
