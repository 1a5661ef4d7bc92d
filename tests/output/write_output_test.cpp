#include "output/write_output.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using testing::RecordingFrontEnd;
using testing::TempDir;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(OutputPathFor, ReplacesTheFileNamesExtension) {
  const struct {
    const char *log, *page;
  } cases[] = {
      {"/logs/trip.log", "/logs/trip.html"},
      {"/logs/a.b.log", "/logs/a.b.html"},
      {"/logs/TRIP.LOG", "/logs/TRIP.html"},
      {"/logs/trip", "/logs/trip.html"},
      {"/logs/trip.", "/logs/trip.html"},
      {"trip.nmea", "trip.html"},
      {"/old.logs/trip", "/old.logs/trip.html"},  // a dot in a folder name is no extension
      {"../logs/trip", "../logs/trip.html"},
      {"./trip", "./trip.html"},
      {"/logs/.trip", "/logs/.trip.html"},        // nor is the dot of a hidden file
      {"/logs/trip.html", "/logs/trip.html"},
      {"/logs/trip.HTML", "/logs/trip.html"},
  };
  for (const auto& c : cases) EXPECT_EQ(OutputPathFor(c.log), c.page) << c.log;
}

TEST(ToUtf8Bytes, KeepsValidUtf8AndRepairsTheRest) {
  EXPECT_EQ(ToUtf8Bytes("aé日"), "a\xC3\xA9\xE6\x97\xA5");
  EXPECT_EQ(ToUtf8Bytes("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");  // four bytes, not two groups of three
  EXPECT_EQ(ToUtf8Bytes("IMG\xFF.jpg"), "IMG\xEF\xBF\xBD.jpg");
  EXPECT_EQ(ToUtf8Bytes(""), " ");
}

TEST(WriteOutputFile, ReplacesAnEarlierLongerPageWhole) {
  TempDir dir;
  RecordingFrontEnd ui;
  dir.Write("trip.html", std::string(1000, 'x'));
  ASSERT_TRUE(WriteOutputFile(dir.File("trip.log"), "short", ui));
  EXPECT_EQ(ReadAll(dir.File("trip.html")), "short");
  EXPECT_TRUE(ui.messages.empty());
  // Only the page is left: no temporary file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WriteOutputFile, NeverReplacesTheLogItself) {
  TempDir dir;
  RecordingFrontEnd ui;
  const std::string log = dir.Write("trip.html", "$GPRMC,...");
  EXPECT_FALSE(WriteOutputFile(log, "<html>", ui));
  EXPECT_EQ(ReadAll(log), "$GPRMC,...");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
}

TEST(WriteOutputFile, AFailedWriteIsToldAndLeavesTheEarlierPage) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
  TempDir dir;
  RecordingFrontEnd ui;
  dir.Write("trip.html", "earlier page");
  ::chmod(dir.path().c_str(), 0555);
  EXPECT_FALSE(WriteOutputFile(dir.File("trip.log"), "new page", ui));
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(ReadAll(dir.File("trip.html")), "earlier page");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find(dir.File("trip.html")), std::string::npos);
}

TEST(WriteOutputFile, AFolderWhereThePageGoesIsToldAndLeftAlone) {
  TempDir dir;
  RecordingFrontEnd ui;
  std::filesystem::create_directory(dir.File("trip.html"));
  EXPECT_FALSE(WriteOutputFile(dir.File("trip.log"), "new page", ui));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("trip.html")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
}

TEST(WriteOutputFile, RunningOutOfSpaceLeavesTheEarlierPage) {
  // A file size limit makes writes fail part-way, as a full disk does.
  TempDir dir;
  dir.Write("trip.html", "earlier page");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    RecordingFrontEnd ui;
    const bool written = WriteOutputFile(dir.File("trip.log"), std::string(5000, 'p'), ui);
    ::_exit(!written && ui.messages.size() == 1 && ui.messages[0].title == "エラー" ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failure was not reported";
  EXPECT_EQ(ReadAll(dir.File("trip.html")), "earlier page");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace routelet
