// The start window's choices: read by the command line's parser, and kept between starts.
#include "driver/start_choices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "driver/command_line.h"
#include "driver/start_run.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

StartChoices Everything() {
  StartChoices choices;
  choices.PhotoFolders = {"/media/card/DCIM", "photos with = and blanks"};
  choices.CameraZone = "Europe/Rome";
  choices.CameraShift = "-0:03:00";
  choices.Template = "/usr/share/routelet/templates/gpx.dat";
  choices.OpenPage = false;
  return choices;
}

Options Parsed(const StartChoices& choices) {
  const std::vector<std::string> arguments = StartArguments(choices);
  return ParseCommandLine(std::vector<std::string_view>(arguments.begin(), arguments.end()));
}

TEST(StartChoices, BecomeTheCommandLinesOptions) {
  testing::TempDir card;
  StartChoices choices;
  choices.Logs = {"-day 1.nmea", "day2.gpx"};  // a dash and a blank: each still one log
  choices.PhotoFolders = {card.path().string()};
  choices.CameraZone = "+01:00";
  choices.CameraShift = "90";
  choices.Template = "mine.dat";
  const Options options = Parsed(choices);
  EXPECT_TRUE(options.Unusable.empty() && options.UnknownOption.empty());
  EXPECT_EQ(options.LogPaths, choices.Logs);
  EXPECT_TRUE(options.LogPath.empty());
  EXPECT_EQ(options.Photos.Folders, choices.PhotoFolders);
  EXPECT_EQ(options.Photos.Zone.OffsetMinutes, 60);
  EXPECT_EQ(options.Photos.ClockShiftSeconds, 90);
  EXPECT_EQ(options.TemplatePath, "mine.dat");
  EXPECT_TRUE(options.OpenPage);
  // What the command line refuses, the window's run refuses by the same rule.
  choices.CameraZone = "Mars";
  EXPECT_EQ(Parsed(choices).Unusable, "--camera-zone=Mars");
  // Empty fields leave the defaults.
  const Options defaults = Parsed(StartChoices{{"a.log"}, {}, "", "", "", false});
  EXPECT_EQ(defaults.Photos.Zone.OffsetMinutes, 9 * 60);
  EXPECT_TRUE(defaults.TemplatePath.empty());
  EXPECT_FALSE(defaults.OpenPage);
}

// The window's run is the command line's with the window's fields in their place: what the window
// does not show (the page's language, the caches, --single-file, --zone, -o) is not lost.
TEST(StartChoices, TakeThePlaceOfTheirOwnOptionsOnly) {
  const std::vector<std::string_view> typed = {"--start", "--single-file", "--zone=UTC", "-o", "out.html",
                                                "--photos=elsewhere", "--template=other.dat", "given.log"};
  Options given = ParseCommandLine(typed);
  given.EnglishPage = true;
  given.CacheHome = "/home/someone/.cache";
  testing::TempDir card;  // the parser takes only folders that are there
  StartChoices choices = Everything();
  choices.Logs = {"chosen.log"};
  choices.PhotoFolders = {card.path().string()};
  const Options run = OptionsForStartRun(given, choices);
  EXPECT_TRUE(run.EnglishPage && run.SingleFile && run.PageZone && !run.StartWindow);
  EXPECT_EQ(run.CacheHome, given.CacheHome);
  EXPECT_EQ(run.OutputPath, "out.html");
  EXPECT_EQ(run.LogPaths, choices.Logs);
  EXPECT_TRUE(run.LogPath.empty());
  EXPECT_EQ(run.Photos.Folders, choices.PhotoFolders);
  EXPECT_EQ(run.Photos.ClockShiftSeconds, -180);
  EXPECT_EQ(run.TemplatePath, choices.Template);
  EXPECT_FALSE(run.OpenPage);
}

TEST(StartSettings, KeepEverythingButTheLogs) {
  StartChoices choices = Everything();
  choices.Logs = {"trip.log"};
  StartChoices expected = Everything();
  EXPECT_EQ(ParseSettings(SettingsText(choices)), expected);
  EXPECT_EQ(ParseSettings("# a comment\r\n\r\nopen=no\r\n").OpenPage, false);
}

TEST(StartSettings, DamagedTextGivesTheDefaults) {
  using namespace std::string_view_literals;
  for (const std::string_view damaged : {"photos\n"sv, "colour=red\n"sv, "open=maybe\n"sv, "camera-zone=+01:00"sv,
                                         "photos=\n"sv, "camera-zone=+01:00\n\0\n"sv}) {
    EXPECT_EQ(ParseSettings(damaged), StartChoices()) << damaged;
  }
}

TEST(StartSettings, AreWrittenWholeAndReadBack) {
  testing::TempDir home;
  const std::string config = home.File("config");
  EXPECT_EQ(LoadStartSettings(config), StartChoices());  // none yet
  ASSERT_EQ(SaveStartSettings(config, Everything()), "");
  EXPECT_EQ(LoadStartSettings(config), Everything());
  // Replaced in one step: nothing beside the file but the file.
  StartChoices changed;
  changed.CameraZone = "UTC";
  ASSERT_EQ(SaveStartSettings(config, changed), "");
  EXPECT_EQ(LoadStartSettings(config), changed);
  const auto entries = std::distance(std::filesystem::directory_iterator(std::filesystem::path(SettingsPath(config)).parent_path()),
                                     std::filesystem::directory_iterator());
  EXPECT_EQ(entries, 1);
  // A folder where the file belongs, or a file too large to be ours, is ignored.
  EXPECT_NE(SaveStartSettings(home.Write("plain", ""), changed), "");
  std::filesystem::remove(SettingsPath(config));
  std::filesystem::create_directory(SettingsPath(config));
  EXPECT_EQ(LoadStartSettings(config), StartChoices());
  EXPECT_EQ(SettingsPath(""), "");
}

TEST(ShippedTemplates, AreFoundBesideTheProgramByName) {
  const std::vector<ShippedTemplate> shipped = ShippedTemplates(ROUTELET_BUILD_DIR);
  const auto gpx = std::find_if(shipped.begin(), shipped.end(), [](const ShippedTemplate& t) { return t.Name == "gpx"; });
  ASSERT_NE(gpx, shipped.end());
  EXPECT_EQ(std::filesystem::path(gpx->Path).filename(), "gpx.dat");
}

}  // namespace
}  // namespace routelet
