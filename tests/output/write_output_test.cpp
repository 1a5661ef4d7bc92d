#include "output/write_output.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
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

std::ptrdiff_t FilesIn(const TempDir& dir) { return std::distance(std::filesystem::directory_iterator(dir.path()), {}); }

TEST(OutputPathFor, ReplacesTheFileNamesExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"/logs/a.b.log", "/logs/a.b.html"}, {"/logs/TRIP.LOG", "/logs/TRIP.html"}, {"/logs/trip", "/logs/trip.html"},
      {"/logs/trip.", "/logs/trip.html"},  {"trip.nmea", "trip.html"},             {"./trip", "./trip.html"},
      {"/old.logs/trip", "/old.logs/trip.html"},  // a dot in a folder name is no extension
      {"/logs/.trip", "/logs/.trip.html"},        // nor is the dot of a hidden file
      {"/logs/trip.HTML", "/logs/trip.html"},
  };
  for (const auto& [log, page] : cases) EXPECT_EQ(OutputPathFor(log), page) << log;
}

// Overlong forms, surrogates, code points past U+10FFFF, cut sequences and Shift_JIS bytes
// are each replaced by U+FFFD (once per byte that cannot start or continue a character).
TEST(ToUtf8Bytes, KeepsValidUtf8AndRepairsTheRest) {
  const std::string r = "\xEF\xBF\xBD";
  const std::pair<std::string, std::string> cases[] = {
      {"plain ASCII, longer than eight bytes", "plain ASCII, longer than eight bytes"},
      {"aé日\xF0\x9F\x98\x80", "aé日\xF0\x9F\x98\x80"}, {"", " "},
      {"IMG\xFF.jpg", "IMG" + r + ".jpg"}, {"\x80", r}, {"\xC0\xAF", r + r}, {"\xED\xA0\x80", r + r + r},
      {"\xF4\x90\x80\x80", r + r + r + r}, {"abcdefgh\xE6\x97", "abcdefgh" + r + r}, {"\x83\x65", r + "e"},
  };
  for (const auto& [text, bytes] : cases) EXPECT_EQ(ToUtf8Bytes(text), bytes) << text;
}

TEST(WriteOutputFile, ReplacesAnEarlierLongerPageWhole) {
  TempDir dir;
  RecordingFrontEnd ui;
  dir.Write("trip.html", std::string(1000, 'x'));
  ASSERT_TRUE(WriteOutputFile(dir.File("trip.log"), "short", ui));
  EXPECT_EQ(ReadAll(dir.File("trip.html")), "short");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(FilesIn(dir), 1);  // no temporary file is left
}

TEST(WriteOutputFile, AFolderWhereThePageGoesIsToldAndLeftAlone) {
  TempDir dir;
  RecordingFrontEnd ui;
  std::filesystem::create_directory(dir.File("trip.html"));
  EXPECT_FALSE(WriteOutputFile(dir.File("trip.log"), "new page", ui));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("trip.html")));
  EXPECT_EQ(FilesIn(dir), 1);
  ASSERT_EQ(ui.messages.size(), 1u);
}

TEST(WriteOutputFile, AWriteFailingPartWayIsToldAndLeavesTheEarlierPage) {
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
  EXPECT_EQ(FilesIn(dir), 1);
}

}  // namespace
}  // namespace routelet
