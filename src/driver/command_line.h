#pragma once
// The command line: routelet [OPTION]... [LOG...]
#include <string>
#include <string_view>
#include <vector>

#include "photos/find_photos.h"

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
  // Where the photos are and how the cameras' clocks relate to UTC (--photos, --camera-zone,
  // --camera-shift).
  PhotoOptions Photos;
  // The option whose value could not be understood, as it was given ("--camera-zone=Mars");
  // empty when every option was understood. The run must not start when it is set.
  std::string Unusable;
  // The name the program was started by (argv[0]): where it is found when /proc cannot tell.
  std::string ProgramPath;
};

// Options come first: --help, --version, --console, --gui, the options with a value
// (--photos, --camera-zone, --camera-shift; as "--name=VALUE" or "--name VALUE"), and "--" to
// end them. The first argument that is none of these starts the log path; nothing after it is
// an option. Parsing stops at an option whose value is not understood.
Options ParseCommandLine(const std::vector<std::string_view>& arguments);

// How the program is called, with the general options: printed when there is no log and no
// way to ask for one.
std::string UsageText();

// The text printed for --help: the usage, then the photo options.
std::string HelpText();

}  // namespace routelet
