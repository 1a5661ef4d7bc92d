#pragma once
// The command line: routelet [OPTION]... [--] [LOG WORDS...]
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
  // Open the written page in the desktop's web browser (--open).
  bool OpenPage = false;
  // An argument in the options' place that looks like an option ("-" and a letter or more) but
  // is none; the program then says so and does not run. Empty when there is none.
  std::string UnknownOption;
  // The arguments after the options joined by single blanks: one path, so that a name with
  // blanks typed without quotes still names one file. Empty: the user is asked.
  std::string LogPath;
  // The template to fill. Empty: "template.dat" where the program looks for it.
  std::string TemplatePath;
};

// Options come first: -h/--help, -V/--version, --console, --gui, --open, and "--" to end them. The
// first argument that does not begin with "-" (or is "-" alone) starts the log path, and
// nothing after it is an option; a log whose name begins with "-" goes after "--". Parsing
// stops at an unknown option.
Options ParseCommandLine(const std::vector<std::string_view>& arguments);

// The text printed for --help, in Japanese when the locale's language (LC_ALL, LC_MESSAGES,
// LANG, as gettext reads them) is Japanese, in English otherwise.
std::string UsageText();

// The line printed before the usage for an unknown option, in the language of UsageText.
std::string UnknownOptionText(std::string_view option);

}  // namespace routelet
