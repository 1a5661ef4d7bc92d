// Cutting the template into sections, loading it from a file, and the templates that ship.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <vector>

#include "output/page_target.h"
#include "support/temp_dir.h"
#include "template/load_template.h"
#include "template/section_store.h"

namespace routelet {
namespace {

namespace fs = std::filesystem;
using Sections = std::vector<std::pair<std::string, std::string>>;

TEST(ParseSections, CutsAtHeaderLinesByTheRules) {
  const struct {
    const char* text;
    std::vector<std::string> names;  // in the order first stored
    Sections sections;               // looked up without regard to letter case
  } cases[] = {
      {"<html>\r\n[recordlist]\r\n*recordlist\r\n<tr>[index]</tr>\r\n*photolist\r\n<img>", {"body", "recordlist", "photolist"},
       {{"body", "<html>\r\n[recordlist]"}, {"RECORDLIST", "<tr>[index]</tr>"}, {"photolist", "<img>"}}},
      {"", {"body"}, {{"body", ""}}},
      {"*x\r\n\r\n\r\na\r\n\r\nb\r\n\r\n", {"body", "x"}, {{"body", ""}, {"x", "a\r\n\r\nb\r\n"}}},  // leading empty lines only
      {"b\r\n*last", {"body", "last"}, {{"body", "b"}, {"last", ""}}},
      {"a\n\n*recordlist\nr\n\n", {"body", "recordlist"}, {{"body", "a\r\n"}, {"recordlist", "r\r\n"}}},  // no CR: LF ends lines
      {"a\n*recordlist\r\nr\n", {"body"}, {{"body", "a\n*recordlist\r\nr\n"}}},  // with a CR, a lone LF stays in its line
      {"a\rb\r\r\n*x\rc", {"body", "x"}, {{"body", "a\r\nb\r\n"}, {"x", "c"}}},  // CR alone does
      {"b\r\n*\r\ne", {"body", ""}, {{"body", "b"}, {"", "e"}}},         // the empty name is a name too
      // Only an asterisk in the first column starts a section; the name keeps its blanks.
      {"a\r\n *x\r\n＊y\r\n*recordlist \r\nr", {"body", "recordlist "},
       {{"body", "a\r\n *x\r\n＊y"}, {"recordlist", ""}, {"recordlist ", "r"}}},
      // A later section of the same name wins, in the first one's place.
      {"*body\r\nnew body\r\n*List\r\nfirst\r\n*LIST\r\nsecond", {"body", "List"}, {{"body", "new body"}, {"list", "second"}}},
  };
  for (const auto& c : cases) {
    SectionStore store;
    ParseSections(c.text, store);
    EXPECT_EQ(store.Names(), c.names) << c.text;
    for (const auto& [name, text] : c.sections) EXPECT_EQ(GetSection(store, name), text) << c.text << " / " << name;
  }
}

// Shift_JIS and UTF-8 templates are read end to end (end_to_end_test.cpp); a missing one is told there too.
TEST(LoadTemplate, SaysWhyAFileGaveNothing) {
  testing::TempDir dir;
  const Loaded<SectionStore> folder = LoadTemplate(dir.path().string());
  ASSERT_FALSE(folder.ok());
  EXPECT_EQ(folder.Error->Kind, FileError::Problem::kCannotOpen);
  EXPECT_FALSE(folder.Error->Reason.empty());
  EXPECT_TRUE(folder.Value.empty());
  const Loaded<SectionStore> missing = LoadTemplate(dir.File("template.dat"));
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.Error->Kind, FileError::Problem::kNotFound);
  EXPECT_EQ(LoadTemplate("/dev/zero").Error->Kind, FileError::Problem::kNotAFile);
}

// Shipped templates keep CR LF line ends, so that a lone LF may stay inside a line, and name a
// usable extension.
TEST(ShippedTemplates, HaveABodyWithTheRecordListAndSafeNames) {
  const fs::path source = fs::path(ROUTELET_TEST_DATA_DIR).parent_path().parent_path();
  std::vector<fs::path> paths = {source / "template.dat"};
  for (const auto& entry : fs::directory_iterator(source / "templates")) {
    if (entry.path().extension() == ".dat") paths.push_back(entry.path());
  }
  EXPECT_GE(paths.size(), 2u);
  for (const fs::path& path : paths) {
    SCOPED_TRACE(path.filename().string());
    const Loaded<SectionStore> loaded = LoadTemplate(path.string());
    ASSERT_TRUE(loaded.ok());
    const SectionStore& sections = loaded.Value;
    EXPECT_FALSE(std::regex_search(testing::ReadAll(path), std::regex("(^|[^\r])\n"))) << "a line ends in LF alone";
    EXPECT_TRUE(PageExtension(sections).has_value());
    EXPECT_NE(GetSection(sections, "body").find("[recordlist]"), std::string::npos);
    EXPECT_NE(GetSection(sections, "recordlist").find("[lat"), std::string::npos);
    // Names go into markup only through the escaped placeholders.
    EXPECT_EQ(GetSection(sections, "photolist").find("[file]"), std::string::npos);
    EXPECT_EQ(GetSection(sections, "body").find("[filename]"), std::string::npos);
  }
}

}  // namespace
}  // namespace routelet
