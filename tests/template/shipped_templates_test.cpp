// The templates that ship with the program load into the sections the page needs. A template
// saved with line feeds alone would come out as one giant body, so that is checked too.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/recording_front_end.h"
#include "template/load_template.h"

namespace routelet {
namespace {

namespace fs = std::filesystem;
const fs::path kSourceDir = fs::path(ROUTELET_TEST_DATA_DIR).parent_path().parent_path();

std::vector<std::string> ShippedTemplates() {
  std::vector<std::string> paths = {(kSourceDir / "template.dat").string()};
  for (const auto& entry : fs::directory_iterator(kSourceDir / "templates")) {
    if (entry.path().extension() == ".dat") paths.push_back(entry.path().string());
  }
  return paths;
}

class ShippedTemplate : public ::testing::TestWithParam<std::string> {};

TEST_P(ShippedTemplate, HasABodyWithTheRecordListAndAnItem) {
  std::ifstream in(GetParam(), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string text = bytes.str();
  for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', lf + 1)) {
    ASSERT_TRUE(lf > 0 && text[lf - 1] == '\r') << "a line ends with LF alone at byte " << lf;
  }
  testing::RecordingFrontEnd ui;
  SectionStore sections;
  ASSERT_TRUE(LoadTemplateFrom(GetParam(), ui, sections));
  EXPECT_NE(GetSection(sections, "body").find("[recordlist]"), std::string::npos);
  EXPECT_NE(GetSection(sections, "recordlist").find("[lat]"), std::string::npos);
  // Names go into markup only through the escaped placeholders.
  EXPECT_EQ(GetSection(sections, "photolist").find("[file]"), std::string::npos);
  EXPECT_EQ(GetSection(sections, "body").find("[filename]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedTemplate, ::testing::ValuesIn(ShippedTemplates()), [](const auto& info) {
  std::string name = fs::path(info.param).stem().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

}  // namespace
}  // namespace routelet
