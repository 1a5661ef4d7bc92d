// The command line, the terminal front end, and the run's order of events through a front end.
// What the program writes and says in the terminal, template errors and the command line's values
// among them, is checked end to end (end_to_end_test.cpp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "driver/command_line.h"
#include "driver/console_front_end.h"
#include "driver/run.h"
#include "photos/jpeg_builder.h"
#include "runtime/text_helpers.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using Choice = Options::FrontEndChoice;

// What a command line says of the front end, --open, --help and --version, and its path.
std::string Parsed(const std::vector<std::string_view>& args) {
  const Options o = ParseCommandLine(args);
  std::string text = "path=" + o.LogPath;
  if (o.FrontEnd != Choice::kDefault) text += o.FrontEnd == Choice::kTerminal ? " terminal" : " desktop";
  for (const auto& [set, name] : {std::pair{o.OpenPage, " open"}, {o.StartWindow, " start"}, {o.Help, " help"},
                                  {o.Version, " version"}, {o.SingleFile, " single-file"}}) {
    if (set) text += name;
  }
  if (!o.TileSource.empty()) text += " tiles=" + o.TileSource;
  if (!o.Unusable.empty()) text += " unusable=" + o.Unusable;
  return text;
}

// The last front end named wins. Values of options, "--", words after the path and unknown options
// are end-to-end cases.
TEST(ParseCommandLine, FrontEndOpenHelpAndVersion) {
  const std::pair<std::vector<std::string_view>, std::string> cases[] = {
      {{"--gui", "--open", "--console", "x"}, "path=x terminal open"},
      {{"--console", "--gui", "x"}, "path=x desktop"},
      {{"-h", "--version"}, "path= help version"},
      {{"--help", "-V", "x"}, "path=x help version"},
      {{"--single-file", "--tile-source", "http://127.0.0.1:8/t/{z}/{x}/{y}.png", "x"},
       "path=x single-file tiles=http://127.0.0.1:8/t/{z}/{x}/{y}.png"},
      // A tile source must be a web address that numbers the tile.
      {{"--tile-source=https://a/{z}/{y}.png", "x"}, "path= unusable=--tile-source=https://a/{z}/{y}.png"},
      {{"--tile-source=file:///t/{z}/{x}/{y}.png", "x"}, "path= unusable=--tile-source=file:///t/{z}/{x}/{y}.png"},
      {{"--start", "x y"}, "path=x y start"},
  };
  for (const auto& [args, parsed] : cases) EXPECT_EQ(Parsed(args), parsed);
}

// Words that each name a file are several logs unless joined they name one; --log names logs
// one by one; --split-gap takes whole minutes.
TEST(ParseCommandLine, SeveralLogsAndTheSplitGap) {
  testing::TempDir dir;
  const std::string a = dir.Write("a.log", ""), b = dir.Write("b.log", ""), missing = dir.File("c.log");
  const std::tuple<std::vector<std::string_view>, std::string, std::vector<std::string>> cases[] = {
      {{a, b}, "", {a, b}},
      {{a, missing}, a + " " + missing, {}},
      {{"--log=x", "--log", "y", a}, a, {"x", "y"}},
  };
  for (const auto& [args, path, logs] : cases) {
    const Options o = ParseCommandLine(args);
    EXPECT_EQ(std::tie(o.LogPath, o.LogPaths), std::tie(path, logs)) << args.size();
  }
  EXPECT_EQ(ParseCommandLine({"--split-gap=90"}).Segments.SplitGapSeconds, 5400);
  for (const std::string_view gap : {"--split-gap=0", "--split-gap=1.5", "--split-gap=-3", "--log="}) {
    EXPECT_EQ(ParseCommandLine({gap, "x"}).Unusable, gap);
  }
}

// --help speaks the language of the locale's messages. The Japanese locale is made for the
// test (localedef, from Debian package locales), so the machine needs none installed. (Windows
// takes the user's UI language: tests help_in_japanese/help_in_english run it under wine.)
#ifndef _WIN32
TEST(Help, InTheLocalesLanguage) {
  testing::TempDir locales;
  const std::string made = "localedef -i ja_JP -f UTF-8 " + locales.File("ja_JP.UTF-8") + " >/dev/null 2>&1";
  if (std::system(made.c_str()) != 0) GTEST_SKIP() << "no Japanese locale could be made (Debian package locales)";
  const std::string command = "env -i LOCPATH=" + locales.path().string() +
                              " LANG=C.UTF-8 LC_MESSAGES=ja_JP.UTF-8 " ROUTELET_BUILD_DIR "/routelet --help";
  std::FILE* out = popen(command.c_str(), "r");
  char line[200] = "";
  (void)!std::fgets(line, sizeof line, out);  // nothing read leaves it empty
  EXPECT_STREQ(line, "使い方: routelet [オプション]... [--] [ログのパスの語...]\n");
  // Each in its own block: the formats read, several logs, compressed logs, the template check,
  // the start window, the page to send.
  bool logsTold = false, severalTold = false, compressedTold = false, checkTold = false, startTold = false,
       singleFileTold = false;
  while (std::fgets(line, sizeof line, out) != nullptr) {
    logsTold = logsTold || std::strstr(line, "KML（gx:Track）の軌跡") != nullptr;
    severalTold = severalTold || std::strstr(line, "--split-gap=分") != nullptr;
    compressedTold = compressedTold || std::strstr(line, "gzipで圧縮したもの（.gz）") != nullptr;
    singleFileTold = singleFileTold || std::strstr(line, "--single-file         表示するもの") != nullptr;
    checkTold = checkTold || std::strstr(line, "--check-template[=FILE]  FILE（") != nullptr;
    startTold = startTold || std::strstr(line, "--start               開始ウィンドウを開く") != nullptr;
  }
  pclose(out);
  EXPECT_TRUE(logsTold);
  EXPECT_TRUE(severalTold);
  EXPECT_TRUE(compressedTold);
  EXPECT_TRUE(singleFileTold);
  EXPECT_TRUE(checkTold);
  EXPECT_TRUE(startTold);
}
#endif

// A front end on two temporary files standing in for the terminal's input and stderr.
struct Terminal {
  explicit Terminal(std::string text) : typed(std::move(text)), ui(in, err, true, true) {}
  ~Terminal() {
    std::fclose(in);
    std::fclose(err);
  }
  std::string Written() {
    std::string text;
    std::rewind(err);
    for (int c = std::fgetc(err); c != EOF; c = std::fgetc(err)) text.push_back(static_cast<char>(c));
    return text;
  }

  std::string typed;
  // Temporary files: streams in memory are not on every system.
  std::FILE* in = Holding(typed);
  std::FILE* err = std::tmpfile();

 private:
  static std::FILE* Holding(const std::string& text) {
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    return file;
  }

 public:
  ConsoleFrontEnd ui;
};

// Without a terminal on stderr neither progress nor the summary is written: the end-to-end cases
// show that.
TEST(ConsoleFrontEnd, ProgressRewritesOneLineAndMessagesCarryTheirTitle) {
  Terminal t("");
  t.ui.SetProgress("GPSデータ解析中：100行目");
  t.ui.ShowMessage("x.logが見つかりません", "");
  t.ui.ShowMessage("x.logが正しく読みこめません", "エラー");
  // Control characters in names are shown, not obeyed: C0, DEL, and C1 written in UTF-8.
  t.ui.SetProgress("\x1b]52;c;eA==\x07\x7f\xc2\x9b" "2J\xc2\xa0\t\n");
  t.ui.ShowSummary("x.htmlを書き出しました");
  t.ui.ShowMessage("\x1b[2J", "");
  EXPECT_EQ(t.Written(),
            "\r\x1b[KGPSデータ解析中：100行目\r\x1b[K"
            "Routelet: x.logが見つかりません\nエラー: x.logが正しく読みこめません\n"
            "\r\x1b[K\\e]52;c;eA==\\x07\\x7f\\x9b2J\xc2\xa0\\x09\\x0a\r\x1b[Kx.htmlを書き出しました\nRoutelet: \\e[2J\n");
}

// What is typed up to the end of the line is the path. Without a terminal to type into nothing is
// asked: the no-log-no-terminal end-to-end case.
TEST(ConsoleFrontEnd, ThePromptTakesOneLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"my trip.log\nnext\n", "my trip.log"}, {"trip.log\r\n", "trip.log"}, {"\n", ""}, {"", ""}};
  for (const auto& [typed, path] : cases) {
    Terminal t(typed);
    EXPECT_EQ(t.ui.ChooseLogFile(), path) << typed;
    EXPECT_EQ(t.Written(), "GPSログ: ");
  }
}

// A folder with the template `text`, trip.log of 150 fixes one a second from 09:00:00 Japan time,
// and `photos` beside it as 0.jpg, 1.jpg...; the run tells `ui`.
struct Trip : testing::TempDir {
  explicit Trip(std::string_view text, const std::vector<std::string>& photos = {}) {
    options.TemplatePath = Write("template.dat", text);
    std::string log;
    for (int i = 0; i < 150; ++i) {
      char line[80];
      std::snprintf(line, sizeof line, "$GPRMC,00%02d%02d,A,3500.0000,N,13900.0000,E,0.0,0.0,010111,,\r\n", i / 60, i % 60);
      log += line;
    }
    options.LogPath = Write("trip.log", log);
    for (std::size_t i = 0; i < photos.size(); ++i) Write(std::to_string(i) + ".jpg", photos[i]);
  }
  RunResult Run() { return RunConversion(options, ui); }

  Options options;
  testing::RecordingFrontEnd ui;
};

// Without a path the user is asked: a cancelled choice ends silently and successfully; a chosen
// log is converted with every progress text in order, and the window closes. (The messages of a
// failed run and their order are checked end to end, and on the desktop by desktop_session_test.sh.)
TEST(Run, WithoutAPathTheUserChoosesAndSeesTheProgress) {
  Trip trip("[numrecord] [numphoto]", {"not a photo"});
  const std::string log = std::exchange(trip.options.LogPath, "");
  EXPECT_EQ(ExitStatusFor(trip.Run()), 0);
  EXPECT_THAT(trip.ui.events, ElementsAre("choose"));
  trip.ui = {};
  trip.ui.chooserAnswer = log;
  EXPECT_EQ(trip.Run(), RunResult::kPageWritten);
  EXPECT_THAT(trip.ui.events, ElementsAre("choose", "show", "progress:GPSデータ解析中", "progress:GPSデータ解析中：100行目",
                                          "progress:ルートデータ出力中：0/150", "progress:ルートデータ出力中：100/150",
                                          "progress:ルートデータ出力中：150/150", "progress:画像データExif情報解析中：0.jpg",
                                          "summary:" + trip.File("trip.html") + "を書き出しました：150地点、0.00 km、写真0/1枚（撮影時刻なし1枚）",
                                          "close"));
  EXPECT_EQ(testing::ReadAll(trip.File("trip.html")), "150 0");
}

// After the page is written the front end is told what was listed and why the rest was not.
TEST(Run, SummarisesThePhotos) {
  using namespace testing;
  const std::string inside = Jpeg({ExifSegment(CameraTiff(ByteOrder::kLittle, std::nullopt, "2011:01:01 09:01:00"))});
  const std::string outside = Jpeg({ExifSegment(CameraTiff(ByteOrder::kLittle, std::nullopt, "2011:01:01 10:00:00"))});
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{inside, inside}, "写真2/2枚"},
      {{inside, outside, "no date"}, "写真1/3枚（記録の時間外1枚、撮影時刻なし1枚）"},
      {{outside, "no date"}, "写真0/2枚（記録の時間外1枚、撮影時刻なし1枚）。記録の時間内に撮られた写真はありません。カメラの"
                             "時計が日本時間でなければ、--camera-zone でその時間帯を指定してください（例：--camera-zone=+02:00）"},
  };
  for (const auto& [photos, summary] : cases) {
    Trip trip("[numphoto]", photos);
    EXPECT_EQ(trip.Run(), RunResult::kPageWritten);
    EXPECT_THAT(trip.ui.events, Contains("summary:" + trip.File("trip.html") + "を書き出しました：150地点、0.00 km、" + summary));
  }
}

// On a terminal a run tells the template's problems, at most ten and then how many more, and
// writes the page as the template says all the same.
TEST(Run, TellsTheTemplatesProblemsAndWritesThePage) {
  for (const std::size_t typos : {1u, 12u}) {
    std::string text = "[recordlist]";
    for (std::size_t i = 0; i < typos; ++i) text += "[totaldst]";
    Trip trip(text + "\r\n*recordlist\r\n.");
    Terminal t("");
    EXPECT_EQ(RunConversion(trip.options, t.ui), RunResult::kPageWritten);
    const std::string told = t.Written();
    EXPECT_EQ(SplitFields(told, trip.options.TemplatePath + ":1:").size() - 1, std::min<std::size_t>(typos, 10)) << told;
    EXPECT_EQ(told.find("--check-template") != std::string::npos, typos == 12) << told;
    EXPECT_EQ(SplitFields(testing::ReadAll(trip.File("trip.html")), "[totaldst]").size() - 1, typos);
  }
}

// --open: the page is opened once it is written, and only then; a page that cannot be opened is
// said so, and the run still succeeded.
TEST(Run, OpensOnlyAWrittenPage) {
  // The template, whether there is a log, why the page cannot be opened, and the run's result.
  const std::tuple<const char*, bool, std::optional<std::string>, RunResult> cases[] = {
      {"x", true, std::nullopt, RunResult::kPageWritten}, {"x", true, "no browser", RunResult::kPageWritten},
      {"", true, std::nullopt, RunResult::kEmptyPage}, {"x", false, std::nullopt, RunResult::kFailed}};
  for (const auto& [text, logThere, whyNotOpened, result] : cases) {
    Trip trip(text);
    trip.options.OpenPage = true;
    trip.ui.openAnswer = whyNotOpened;
    if (!logThere) std::filesystem::remove(trip.options.LogPath);
    EXPECT_EQ(trip.Run(), result);
    const std::string page = trip.File("trip.html"), cannotOpen = "message:Routelet:" + page + "を開けません（no browser）";
    EXPECT_EQ(std::ranges::count(trip.ui.events, "open:" + page), result == RunResult::kPageWritten) << text;
    EXPECT_EQ(std::ranges::count(trip.ui.events, cannotOpen), whyNotOpened.has_value());
  }
}

// A log of NMEA sentences without a fix gives the page of 0 points, and the summary says why; an
// empty log's summary is as it was; a file with no track, or a damaged compressed one that gave
// none, is refused: no page, nothing opened.
TEST(Run, ALogWithoutATrackIsToldOrRefused) {
  const std::tuple<std::string, RunResult, std::string> cases[] = {
      {"$GPGSV,1,1,00*79\r\n", RunResult::kPageWritten, "summary:%を書き出しました：0地点、0.00 km、写真0/0枚。NMEAの文はありますが、位置の取れた文（RMC）がひとつもありません"},
      {"", RunResult::kPageWritten, "summary:%を書き出しました：0地点、0.00 km、写真0/0枚"},
      {"PK\x03\x04\n", RunResult::kFailed, "message:エラー:%にはNMEAの文もGPX/TCX/KMLの地点もありません"},
      {"\x1F\x8B\x08 not deflated", RunResult::kFailed, "message:エラー:%は圧縮されたデータが途中で切れているか壊れています"},
  };
  for (const auto& [log, result, event] : cases) {
    Trip trip("x");
    trip.options.OpenPage = true;
    trip.Write("trip.log", log);
    EXPECT_EQ(trip.Run(), result);
    const std::string named = result == RunResult::kFailed ? trip.options.LogPath : trip.File("trip.html");
    EXPECT_THAT(trip.ui.events, Contains(ReplaceAll(event, "%", named)));
    EXPECT_EQ(std::filesystem::exists(trip.File("trip.html")), result == RunResult::kPageWritten);
    EXPECT_EQ(std::ranges::count(trip.ui.events, "open:" + trip.File("trip.html")), result == RunResult::kPageWritten);
  }
}

// Several logs: each is told before its lines, the page goes beside the first in time, and logs
// whose times overlap are named in the summary. A folder's files that hold no track are counted;
// a folder without a log is refused.
TEST(Run, SeveralLogsAndFoldersOfLogs) {
  Trip trip("[numrecord]");
  const std::string first = std::exchange(trip.options.LogPath, "");
  const std::string late = trip.Write("late.log", "$GPRMC,000100,A,3500.0000,N,13900.0000,E,0.0,0.0,010111,,\r\n");
  trip.options.LogPaths = {late, first};
  EXPECT_EQ(trip.Run(), RunResult::kPageWritten);
  const auto at = [&](const std::string& event) { return std::ranges::find(trip.ui.events, event) - trip.ui.events.begin(); };
  EXPECT_LT(at("progress:GPSログ解析中：1/2 " + late), at("progress:GPSログ解析中：2/2 " + first));
  EXPECT_LT(at("progress:GPSログ解析中：2/2 " + first), at("progress:GPSデータ解析中：100行目"));
  EXPECT_THAT(trip.ui.events, Contains("summary:" + trip.File("trip.html") + "を書き出しました：151地点、0.00 km、写真0/0枚。記録の"
                                       "時間が重なるログがあります（それぞれ別の区間にしました）：" + first + "、" + late));

  std::filesystem::create_directory(trip.File("logs"));
  trip.Write("logs/notes.txt", "packing list\n");
  trip.Write("logs/.hidden.log", testing::ReadAll(first));
  trip.options.LogPaths = {trip.File("logs")};
  EXPECT_EQ(trip.Run(), RunResult::kFailed);
  EXPECT_THAT(trip.ui.events, Contains("message:エラー:" + trip.File("logs") + "にはNMEAの文もGPX/TCX/KMLの地点もありません"));
  trip.Write("logs/day.nmea", testing::ReadAll(first));
  trip.Write("logs/old.html", "<html><body>an earlier page</body></html>");
  EXPECT_EQ(trip.Run(), RunResult::kPageWritten);
  EXPECT_EQ(testing::ReadAll(trip.File("logs/logs.html")), "150");
#ifdef _WIN32
  const std::string folderPage = trip.File("logs") + "\\logs.html";  // joined with the system's separator
#else
  const std::string folderPage = trip.File("logs") + "/logs.html";
#endif
  EXPECT_THAT(trip.ui.events, Contains("summary:" + folderPage + "を書き出しました：150地点、0.00 km、写真0/0枚"
                                       "。フォルダの中のGPSログでないファイル2個は使っていません"));
}

}  // namespace
}  // namespace routelet
