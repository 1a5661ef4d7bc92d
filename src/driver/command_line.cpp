#include "driver/command_line.h"

namespace routelet {

Options ParseCommandLine(const std::vector<std::string_view>& arguments) {
  Options options;
  std::size_t i = 0;
  for (; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help") {
      options.Help = true;
    } else if (argument == "--version") {
      options.Version = true;
    } else if (argument == "--console") {
      options.FrontEnd = Options::FrontEndChoice::kTerminal;
    } else if (argument == "--gui") {
      options.FrontEnd = Options::FrontEndChoice::kDesktop;
    } else if (argument == "--") {
      ++i;
      break;
    } else {
      break;
    }
  }
  for (std::size_t first = i; i < arguments.size(); ++i) {
    if (i > first) options.LogPath += ' ';
    options.LogPath += arguments[i];
  }
  return options;
}

std::string UsageText() {
  return "使い方: routelet [OPTION]... [LOG...]\n"
         "Converts a GPS log (NMEA 0183) into a web page beside the log (LOG with the extension\n"
         ".html), filled from template.dat beside the program, with the JPEG photos of the log's\n"
         "folder that were taken during the track.\n"
         "The words after the options form one path, so a name with blanks needs no quotes.\n"
         "Without LOG the program asks for one (a file dialog, or a prompt on a terminal).\n"
         "\n"
         "Options:\n"
         "  --gui       show a progress window and message boxes (the default with a display)\n"
         "  --console   report on the terminal instead\n"
         "  --help      show this help and exit\n"
         "  --version   show the version and exit\n"
         "  --          end of options: what follows is the log path\n"
         "\n"
         "Exit status: 0 when the page was written, when it came out empty (nothing written),\n"
         "or when no log was chosen; 1 when the template, the log or the page failed.\n";
}

}  // namespace routelet
