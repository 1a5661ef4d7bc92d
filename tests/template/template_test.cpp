// Cutting the template into sections, loading it from a file, and the templates that ship.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <tuple>
#include <vector>

#include "output/page_target.h"
#include "support/temp_dir.h"
#include "template/load_template.h"
#include "template/section_store.h"

namespace routelet {
namespace {

// The sections as "name=text|", in the order first stored. A CR alone ends a line; an LF alone
// does only in a text without any CR; leading empty lines are dropped; only a "*" in the first column starts a section, its name
// (empty too) keeping its blanks; a later one of a name, letter case aside, wins in the first's place.
TEST(ParseSections, CutsAtHeaderLinesByTheRules) {
  const std::pair<const char*, const char*> cases[] = {
      {"<html>\r\n[recordlist]\r\n*recordlist\r\n<tr>[index]</tr>\r\n*photolist\r\n<img>",
       "body=<html>\r\n[recordlist]|recordlist=<tr>[index]</tr>|photolist=<img>|"},
      {"", "body=|"}, {"b\r\n*last", "body=b|last=|"}, {"b\r\n*\r\ne", "body=b|=e|"}, {"a\n\n*recordlist\nr\n\n", "body=a\r\n|recordlist=r\r\n|"},
      {"a\n*recordlist\r\nr\n", "body=a\n*recordlist\r\nr\n|"},
      {"*x\r\n\r\n\r\na\r\n\r\nb\r\n\r\n", "body=|x=a\r\n\r\nb\r\n|"}, {"a\rb\r\r\n*x\rc", "body=a\r\nb\r\n|x=c|"},
      {"a\r\n *x\r\n＊y\r\n*recordlist \r\nr", "body=a\r\n *x\r\n＊y|recordlist =r|"},
      {"*body\r\nnew body\r\n*List\r\nfirst\r\n*LIST\r\nsecond", "body=new body|List=second|"},
  };
  for (const auto& [text, expected] : cases) {
    SectionStore store;
    ParseSections(text, store);
    std::string sections;
    for (const std::string& name : store.Names()) sections += name + "=" + GetSection(store, name) + "|";
    EXPECT_EQ(sections, expected) << text;
  }
  std::string text;  // 200,000 sections: looked up one by one in a list, they took minutes
  for (int i = 0; i < 200000; ++i) text += "*Section" + std::to_string(i) + "\r\n" + std::to_string(i) + "\r\n";
  SectionStore many;  // (how fast: bench_template)
  ParseSections(text, many);
  EXPECT_EQ(GetSection(many, "SECTION199999"), "199999");
}

// Shipped templates keep CR LF line ends (so that a lone LF may stay inside a line), name a usable
// extension, have a record list, and put names into markup only through the escaped placeholders. A folder or a device gives
// nothing, with the reason (Shift_JIS, UTF-8 and missing templates run end to end).
TEST(LoadTemplate, ShippedTemplatesHaveTheRecordListAndSafeNamesOthersNothing) {
  testing::TempDir dir;
  const Loaded<SectionStore> folder = LoadTemplate(dir.path().string()), device = LoadTemplate("/dev/zero");
  EXPECT_EQ(std::tuple(folder.Error.value().Kind, folder.Error.value().Reason.empty(), device.Error.value().Kind),
            std::tuple(FileError::Problem::kCannotOpen, false, FileError::Problem::kNotAFile));
  const auto source = std::filesystem::path(ROUTELET_TEST_DATA_DIR).parent_path().parent_path();
  std::vector paths = {source / "template.dat"};
  for (const auto& entry : std::filesystem::directory_iterator(source / "templates")) {
    if (entry.path().extension() == ".dat") paths.push_back(entry.path());
  }
  EXPECT_GE(paths.size(), 2u);
  for (const auto& path : paths) {
    const SectionStore sections = LoadTemplate(path.string()).Value;
    EXPECT_FALSE(std::regex_search(testing::ReadAll(path), std::regex("(^|[^\r])\n"))) << path << ": a line ends in LF alone";
    EXPECT_TRUE(PageExtension(sections).has_value()) << path;
    const auto has = [&](const char* name, const char* text) { return GetSection(sections, name).find(text) != std::string::npos; };
    const bool listsPoints = (has("body", "[recordlist]") && has("recordlist", "[lat")) || has("body", "[track:packed]");
    EXPECT_TRUE(listsPoints && !has("photolist", "[file]") && !has("body", "[filename]"))
        << path;
  }
}

}  // namespace
}  // namespace routelet
