#pragma once
// The command line: routelet [OPTION]... [LOG...]
#include <string>
#include <string_view>
#include <vector>

namespace routelet {

// Everything the command line says, handed down to the run as it is.
struct Options {
  enum class FrontEndChoice { kDefault, kDesktop, kTerminal };

  FrontEndChoice FrontEnd = FrontEndChoice::kDefault;
  bool Help = false;
  bool Version = false;
  // The arguments after the options joined by single blanks: one path, so that a name with
  // blanks typed without quotes still names one file. Empty: the user is asked.
  std::string LogPath;
  // The template to fill. Empty: "template.dat" where the program looks for it.
  std::string TemplatePath;
  // The name the program was started by (argv[0]): where it is found when /proc cannot tell.
  std::string ProgramPath;
};

// Options come first: --help, --version, --console, --gui, and "--" to end them. The first
// argument that is none of these starts the log path; nothing after it is an option.
Options ParseCommandLine(const std::vector<std::string_view>& arguments);

// The text printed for --help.
std::string UsageText();

}  // namespace routelet
