#include "runtime/files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/text_file.h"
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
  EXPECT_THAT(ListFilesWithExtensions(dir.path().string(), {".jpg", ".jpeg"}),
              ElementsAre("A.JPG", "a.jpg", "b.jpg", "c.Jpeg", "Z.jpg"));
  EXPECT_THAT(ListFilesWithExtensions(dir.File("missing"), {".jpg"}), ElementsAre());
}

TEST(Paths, SplitAtTheLastSlashAndFindTheProgram) {
  EXPECT_EQ(DirectoryOf("/home/u/trip.log"), "/home/u");
  EXPECT_EQ(DirectoryOf("trip.log"), ".");
  EXPECT_EQ(DirectoryOf("/trip.log"), "/");
  EXPECT_EQ(JoinPath("/", "x.jpg"), "/x.jpg");
  EXPECT_TRUE(PathExists(JoinPath(ProgramDirectory(), "routelet_runtime_tests")));
}

TEST(ReadTextFile, DecodesOrTellsWhyAFileCannotBeRead) {
  testing::TempDir dir;
  std::string text, error;
  ASSERT_TRUE(ReadTextFile(dir.Write("t.dat", "\x83\x65\r\nx"), text, error));
  EXPECT_EQ(text, "テ\r\nx");
  for (const std::string& path : {dir.File("missing"), dir.path().string()}) {
    error.clear();
    EXPECT_FALSE(ReadTextFile(path, text, error)) << path;
    EXPECT_FALSE(error.empty()) << path;
  }
}

}  // namespace
}  // namespace routelet
