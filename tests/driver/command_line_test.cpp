#include "driver/command_line.h"

#include <gtest/gtest.h>

namespace routelet {
namespace {

using Choice = CommandLine::FrontEndChoice;

TEST(ParseCommandLine, OptionsFirstThenOnePathOfAllTheRest) {
  const struct {
    std::vector<std::string_view> args;
    std::string path;
    Choice frontEnd;
    bool help, version;
  } cases[] = {
      {{}, "", Choice::kDefault, false, false},
      {{"my", "trip.log"}, "my trip.log", Choice::kDefault, false, false},
      {{"--console", "a", "", "b"}, "a  b", Choice::kTerminal, false, false},
      {{"--gui", "--console", "x"}, "x", Choice::kTerminal, false, false},
      {{"--gui", "x"}, "x", Choice::kDesktop, false, false},
      {{"trip.log", "--console"}, "trip.log --console", Choice::kDefault, false, false},
      {{"--", "--help"}, "--help", Choice::kDefault, false, false},
      {{"-x", "y"}, "-x y", Choice::kDefault, false, false},  // nothing else is an option
      {{"--help"}, "", Choice::kDefault, true, false},
      {{"--version", "--", "x"}, "x", Choice::kDefault, false, true},
  };
  for (const auto& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.logPath, c.path);
    EXPECT_EQ(line.frontEnd, c.frontEnd) << c.path;
    EXPECT_EQ(line.help, c.help) << c.path;
    EXPECT_EQ(line.version, c.version) << c.path;
  }
}

}  // namespace
}  // namespace routelet
