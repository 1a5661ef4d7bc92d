#include "driver/run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;
using testing::RecordingFrontEnd;
using testing::TempDir;

constexpr std::string_view kLog =
    "$GPRMC,000000,A,0000.0000,N,00000.0000,E,0.0,0.0,010111,,\r\n"
    "$GPRMC,000100,A,0000.0000,N,00000.0100,E,0.0,0.0,010111,,\r\n";

TEST(Run, AMissingTemplateEndsTheRunBeforeAnythingElse) {
  TempDir dir;
  RecordingFrontEnd ui;
  EXPECT_EQ(RunConversion("", dir.File("template.dat"), ui), RunResult::kFailed);
  EXPECT_THAT(ui.events, ElementsAre("message:Routelet:template.datが見つかりません",
                                     "message:エラー:template.datが正しく読みこめません"));
}

TEST(Run, NoPathAndACancelledChoiceEndSilently) {
  TempDir dir;
  RecordingFrontEnd ui;
  EXPECT_EQ(RunConversion("", dir.Write("template.dat", "x"), ui), RunResult::kCancelled);
  EXPECT_THAT(ui.events, ElementsAre("choose"));
  EXPECT_EQ(ExitStatusFor(RunResult::kCancelled), 0);
}

TEST(Run, AChosenLogIsConverted) {
  TempDir dir;
  RecordingFrontEnd ui;
  ui.chooserAnswer = dir.Write("trip.log", kLog);
  EXPECT_EQ(RunConversion("", dir.Write("template.dat", "[numrecord]"), ui), RunResult::kPageWritten);
  EXPECT_TRUE(std::filesystem::exists(dir.File("trip.html")));
  EXPECT_EQ(ui.events.front(), "choose");
  EXPECT_FALSE(ui.windowShown);
}

TEST(Run, AMissingLogIsToldTwiceAndTheWindowCloses) {
  TempDir dir;
  RecordingFrontEnd ui;
  const std::string log = dir.File("gone.log");
  EXPECT_EQ(RunConversion(log, dir.Write("template.dat", "x"), ui), RunResult::kFailed);
  EXPECT_THAT(ui.events, ElementsAre("show", "progress:GPSデータ解析中", "message:Routelet:" + log + "が見つかりません",
                                     "message:エラー:" + log + "が正しく読みこめません", "close"));
  EXPECT_EQ(ExitStatusFor(RunResult::kFailed), 1);
}

TEST(Run, AnEmptyPageWritesNothingAndSaysNothing) {
  TempDir dir;
  RecordingFrontEnd ui;
  EXPECT_EQ(RunConversion(dir.Write("trip.log", kLog), dir.Write("template.dat", "[photolist]"), ui), RunResult::kEmptyPage);
  EXPECT_FALSE(std::filesystem::exists(dir.File("trip.html")));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.events.back(), "close");
}

TEST(Run, AnUnwritablePageIsAFailure) {
  TempDir dir;
  RecordingFrontEnd ui;
  std::filesystem::create_directory(dir.File("trip.html"));
  EXPECT_EQ(RunConversion(dir.Write("trip.log", kLog), dir.Write("template.dat", "x"), ui), RunResult::kFailed);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_EQ(ui.events.back(), "close");
}

}  // namespace
}  // namespace routelet
