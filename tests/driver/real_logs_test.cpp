// Every real receiver log under tests/data/nmea converts into a page through a template that
// prints every record placeholder, and the page holds one item per track point.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/run.h"
#include "support/recording_front_end.h"
#include "support/temp_dir.h"

namespace routelet {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> RealLogs() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(ROUTELET_TEST_DATA_DIR) / "nmea")) {
    if (entry.path().extension() == ".nmea") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::size_t CountOccurrences(const std::string& text, std::string_view what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

class RealLog : public ::testing::TestWithParam<std::string> {};

TEST_P(RealLog, ConvertsIntoAPage) {
  testing::TempDir dir;
  const std::string templatePath =
      dir.Write("template.dat", "<n>[numrecord]</n><d>[totaldist]</d><v>[avgspeed]</v>\r\n[recordlist]\r\n"
                                "*recordlist\r\n<r>[index]|[time]|[timestr]|[lat]|[lng]|[alt]|[dist]|[speed]</r>");
  fs::copy_file(fs::path(ROUTELET_TEST_DATA_DIR) / "nmea" / GetParam(), dir.path() / "trip.nmea");
  testing::RecordingFrontEnd ui;
  const RunResult result = RunConversion(dir.File("trip.nmea"), templatePath, ui);
  ASSERT_TRUE(result == RunResult::kPageWritten) << (ui.messages.empty() ? "" : ui.messages[0].text);
  std::ifstream in(dir.File("trip.html"), std::ios::binary);
  std::ostringstream page;
  page << in.rdbuf();
  const std::string text = page.str();
  EXPECT_GT(CountOccurrences(text, "<r>"), 0u) << "no track point";
  EXPECT_EQ(CountOccurrences(text, "<r>"), CountOccurrences(text, "</r>\r\n"));
  EXPECT_EQ(text.find("nan"), std::string::npos);
  EXPECT_EQ(text.find("inf"), std::string::npos);
  EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Logs, RealLog, ::testing::ValuesIn(RealLogs()), [](const auto& info) {
  std::string name = info.param.substr(0, info.param.find('.'));
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

}  // namespace
}  // namespace routelet
