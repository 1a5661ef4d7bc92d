#include "template/load_template.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

using testing::RecordingFrontEnd;

TEST(LoadTemplate, ReadsShiftJisAndUtf8Alike) {
  testing::TempDir dir;
  // "ルート" after the header, once in Shift_JIS and once in UTF-8.
  const std::string sjis = dir.Write("sjis.dat", "<p>\r\n*recordlist\r\n\x83\x8B\x81\x5B\x83\x67");
  const std::string utf8 = dir.Write("utf8.dat", "\xEF\xBB\xBF<p>\r\n*recordlist\r\nルート");
  for (const std::string& path : {sjis, utf8}) {
    RecordingFrontEnd ui;
    SectionStore store;
    ASSERT_TRUE(LoadTemplateFrom(path, ui, store));
    EXPECT_EQ(GetSection(store, "recordlist"), "ルート");
    EXPECT_EQ(GetSection(store, "body"), "<p>");
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST(LoadTemplate, AMissingFileIsToldAndLeavesTheStoreEmpty) {
  testing::TempDir dir;
  RecordingFrontEnd ui;
  SectionStore store;
  EXPECT_FALSE(LoadTemplateFrom(dir.File("template.dat"), ui, store));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], (RecordingFrontEnd::Message{"template.datが見つかりません", "Routelet"}));
  EXPECT_TRUE(store.empty());
}

TEST(LoadTemplate, AFileThatCannotBeReadFails) {
  testing::TempDir dir;
  RecordingFrontEnd ui;
  SectionStore store;
  EXPECT_FALSE(LoadTemplateFrom(dir.path().string(), ui, store));  // a folder
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("を開けません"), std::string::npos);
}

TEST(LoadTemplate, AnEmptyFileGivesAnEmptyBody) {
  testing::TempDir dir;
  RecordingFrontEnd ui;
  SectionStore store;
  ASSERT_TRUE(LoadTemplateFrom(dir.Write("template.dat", ""), ui, store));
  EXPECT_EQ(store.size(), 1u);
  EXPECT_EQ(GetSection(store, "body"), "");
}

TEST(TemplatePath, LiesBesideTheProgram) {
  const std::string path = TemplatePath();
  EXPECT_TRUE(path.ends_with("/template.dat")) << path;
}

}  // namespace
}  // namespace routelet
