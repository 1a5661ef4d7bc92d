// Which file a name confirmed in the log chooser stands for. The names the chooser shows are
// checked through its filter (window_test.cpp).
#include "driver/gtk/log_name_rules.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace routelet {
namespace {

TEST(LogChoice, AcceptsExistingFilesAndCompletesBareNames) {
  testing::TempDir dir;
  for (const char* name : {"track.log", "both", "both.log", "memo.txt.log", "notes.txt", "Upper.LOG", "sub.log"}) {
    dir.Write(name, "$GPRMC,\r\n");
  }
  std::filesystem::create_directory(dir.File("folder"));
  std::filesystem::create_directory(dir.File("sub"));
  const std::pair<const char*, const char*> cases[] = {
      // A name in the folder as the dialog confirmed it, and the file chosen ("" when refused).
      {"track.log", "track.log"},  // an existing log as it is
      {"track", "track.log"},      // a bare name stands for its ".log" file
      {"both", "both"},            // the name as typed wins when it exists itself
      {"notes.txt", "notes.txt"},  // any existing file is accepted, whatever the filter shows
      {"memo.txt", ""},            // a name with an extension is never completed
      {"Upper", ""},               // the completion adds ".log" exactly as written
      {"missing", ""},
      {"folder", ""},              // a folder is not a log
      {"sub", "sub.log"},          // a folder of that name does not hide the log
  };
  for (const auto& [typed, chosen] : cases) {
    EXPECT_EQ(ResolveChosenLog(dir.File(typed)), *chosen == '\0' ? "" : dir.File(chosen)) << typed;
  }
  EXPECT_EQ(ResolveChosenLog(""), "");
}

}  // namespace
}  // namespace routelet
