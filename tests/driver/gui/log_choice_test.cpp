// Which names the log chooser shows and which file a confirmed name stands for.
#include "driver/gtk/log_choice.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace routelet {
namespace {

using routelet::testing::TempDir;

struct NameCase {
  const char* name;
  bool expected;
};

TEST(HasLogExtensionTest, MatchesDotLogAtTheEndInAnyLetterCase) {
  const NameCase cases[] = {
      {"track.log", true},      {"TRACK.LOG", true},     {"Track.Log", true},  {".log", true},
      {"トラック.log", true},   {"track.log.txt", false}, {"tracklog", false},  {"track.lo", false},
      {"track.nmea", false},    {"log", false},           {"", false},          {"track.log ", false},
  };
  for (const NameCase& c : cases) EXPECT_EQ(HasLogExtension(c.name), c.expected) << '"' << c.name << '"';
}

TEST(LacksExtensionTest, LooksOnlyAtTheLastPathComponent) {
  const NameCase cases[] = {
      {"track", true},          {"/home/a/track", true},  {"/home/a.b/track", true}, {"dir.d/x", true},
      {"/home/a/track.log", false}, {"track.", false},    {".hidden", false},        {"/home/a/", false},
      {"", false},
  };
  for (const NameCase& c : cases) EXPECT_EQ(LacksExtension(c.name), c.expected) << '"' << c.name << '"';
}

class ResolveChosenLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("track.log", "$GPRMC,\r\n");
    dir_.Write("both", "plain");
    dir_.Write("both.log", "log");
    dir_.Write("memo.txt.log", "log");
    dir_.Write("notes.txt", "text");
    dir_.Write("Upper.LOG", "log");
    std::filesystem::create_directory(dir_.File("folder"));
    std::filesystem::create_directory(dir_.File("sub"));
    dir_.Write("sub.log", "log");
  }
  TempDir dir_;
};

TEST_F(ResolveChosenLogTest, AcceptsExistingFilesAndCompletesBareNames) {
  struct Case {
    const char* typed;     // a name in the folder, as the dialog confirmed it
    const char* expected;  // the name chosen, or "" when refused
  };
  const Case cases[] = {
      {"track.log", "track.log"},  // an existing log as it is
      {"track", "track.log"},      // a bare name stands for its ".log" file
      {"both", "both"},            // the name as typed wins when it exists itself
      {"notes.txt", "notes.txt"},  // any existing file is accepted, whatever the filter shows
      {"memo.txt", ""},            // a name with an extension is never completed
      {"Upper", ""},               // the completion adds ".log" exactly as written
      {"missing", ""},
      {"missing.log", ""},
      {"folder", ""},              // a folder is not a log
      {"sub", "sub.log"},          // a folder of that name does not hide the log
  };
  for (const Case& c : cases) {
    const std::string expected = *c.expected == '\0' ? "" : dir_.File(c.expected);
    EXPECT_EQ(ResolveChosenLog(dir_.File(c.typed)), expected) << c.typed;
  }
}

TEST_F(ResolveChosenLogTest, RefusesAnEmptyName) { EXPECT_EQ(ResolveChosenLog(""), ""); }

}  // namespace
}  // namespace routelet
