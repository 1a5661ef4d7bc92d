#include "runtime/files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace routelet {
namespace {

using ::testing::ElementsAre;

TEST(ListFilesWithExtensions, MatchesEndingsWithoutCaseAndSortsStably) {
  testing::TempDir dir;
  for (const char* name : {"b.jpg", "A.JPG", "a.jpg", "c.Jpeg", "d.jpg.txt", "e.png", "jpg", "Z.jpg"}) {
    dir.Write(name, "x");
  }
  std::filesystem::create_directory(dir.path() / "folder.jpg");  // not a file
  EXPECT_THAT(ListFilesWithExtensions(dir.path().string(), {".jpg"}),
              ElementsAre("A.JPG", "a.jpg", "b.jpg", "Z.jpg"));
  EXPECT_THAT(ListFilesWithExtensions(dir.path().string(), {".jpg", ".jpeg"}),
              ElementsAre("A.JPG", "a.jpg", "b.jpg", "c.Jpeg", "Z.jpg"));
  EXPECT_THAT(ListFilesWithExtensions(dir.File("missing"), {".jpg"}), ElementsAre());
}

TEST(Paths, SplitAtTheLastSlash) {
  EXPECT_EQ(DirectoryOf("/home/u/trip.log"), "/home/u");
  EXPECT_EQ(DirectoryOf("trip.log"), ".");
  EXPECT_EQ(DirectoryOf("/trip.log"), "/");
  EXPECT_EQ(DirectoryOf("a/b/"), "a/b");
  EXPECT_EQ(JoinPath("/home/u", "x.jpg"), "/home/u/x.jpg");
  EXPECT_EQ(JoinPath("/", "x.jpg"), "/x.jpg");
}

TEST(ProgramDirectory, IsTheFolderOfTheRunningTest) {
  const std::string dir = ProgramDirectory();
  EXPECT_TRUE(IsDirectory(dir));
  EXPECT_TRUE(PathExists(JoinPath(dir, "routelet_runtime_tests")));
}

}  // namespace
}  // namespace routelet
