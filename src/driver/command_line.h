#pragma once
// The command line: routelet [OPTION]... [LOG...]
#include <string>
#include <string_view>
#include <vector>

namespace routelet {

struct CommandLine {
  enum class FrontEndChoice { kDefault, kDesktop, kTerminal };

  FrontEndChoice frontEnd = FrontEndChoice::kDefault;
  bool help = false;
  bool version = false;
  // The arguments after the options joined by single blanks: one path, so that a name with
  // blanks typed without quotes still names one file.
  std::string logPath;
};

// Options come first: --help, --version, --console, --gui, and "--" to end them. The first
// argument that is none of these starts the log path; nothing after it is an option.
CommandLine ParseCommandLine(const std::vector<std::string_view>& arguments);

// The text printed for --help.
std::string UsageText();

}  // namespace routelet
