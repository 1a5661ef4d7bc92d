// The command line, and the run's order of events through the front end. What the program
// writes and says in the terminal, template errors among them, is checked end to end
// (end_to_end_test.cpp).
#include "driver/run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "driver/command_line.h"
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

constexpr std::string_view kLog = "$GPRMC,000000,A,0000.0000,N,00000.0000,E,0.0,0.0,010111,,\r\n";

TEST(Run, WithoutAPathTheChosenLogIsConvertedAndACancelledChoiceEndsSilently) {
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

TEST(Run, AMissingLogIsToldTwiceAndTheWindowCloses) {
  testing::TempDir dir;
  testing::RecordingFrontEnd ui;
  const std::string log = dir.File("gone.log");
  EXPECT_EQ(RunConversion(log, dir.Write("template.dat", "x"), ui), RunResult::kFailed);
  EXPECT_THAT(ui.events, ElementsAre("show", "progress:GPSデータ解析中", "message:Routelet:" + log + "が見つかりません",
                                     "message:エラー:" + log + "が正しく読みこめません", "close"));
  EXPECT_EQ(ExitStatusFor(RunResult::kFailed), 1);
}

}  // namespace
}  // namespace routelet
