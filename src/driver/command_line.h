#pragma once
// The command line: routelet [OPTION]... [LOG...]
#include <string>
#include <string_view>
#include <vector>

#include "photos/find_photos.h"

namespace routelet {

// Everything the command line says, handed down to the run as it is, with the one thing the
// run takes from the environment: where the user's configuration folder is.
struct Options {
  enum class FrontEndChoice { kDefault, kDesktop, kTerminal };

  FrontEndChoice FrontEnd = FrontEndChoice::kDefault;
  bool Help = false;
  bool Version = false;
  // The arguments after the options joined by single blanks: one path, so that a name with
  // blanks typed without quotes still names one file. Empty: the user is asked.
  std::string LogPath;
  // The template to fill (--template). Empty: the first template.dat found in the usual places
  // (TemplatePath() in template/load_template.h).
  std::string TemplatePath;
  // The user's configuration folder, where routelet/template.dat is looked for first: see
  // ConfigHomeFrom. Empty: none.
  std::string ConfigHome;
  // Where the page goes (-o, --output): a path, or "-" for standard output. Empty: beside the
  // log, under the log's name with the template's extension.
  std::string OutputPath;
  // Where the photos are and how the cameras' clocks relate to UTC (--photos, --camera-zone,
  // --camera-shift).
  PhotoOptions Photos;
  // The option whose value could not be understood, as it was given ("--camera-zone=Mars");
  // empty when every option was understood. The run must not start when it is set.
  std::string Unusable;
};

// Options come first: --help, --version, --console, --gui, the options with a value
// (--template, --output or -o, --photos, --camera-zone, --camera-shift; as "--name=VALUE" or
// "--name VALUE"), and "--" to end them. The first argument that is none of these starts the log path; nothing after it is
// an option. Parsing stops at an option whose value is not understood.
Options ParseCommandLine(const std::vector<std::string_view>& arguments);

// The user's configuration folder from the environment's values (null when unset):
// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config, else none (empty).
std::string ConfigHomeFrom(const char* xdgConfigHome, const char* home);

// How the program is called, with the general options: printed when there is no log and no
// way to ask for one.
std::string UsageText();

// The text printed for --help: the usage, the template and page options with the places the
// template is looked for, then the photo options.
std::string HelpText();

}  // namespace routelet
