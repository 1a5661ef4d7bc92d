#include "driver/command_line.h"

#include <optional>

#include "runtime/files.h"

namespace routelet {
namespace {

constexpr std::string_view kValueOptionNames[] = {"--template", "--output", "-o",
                                                  "--photos", "--camera-zone", "--camera-shift"};

// The option an argument names when it is one that takes a value ("--photos" or
// "--photos=..."); empty otherwise.
std::string_view ValueOptionName(std::string_view argument) {
  for (const std::string_view name : kValueOptionNames) {
    if (argument.starts_with(name) && (argument.size() == name.size() || argument[name.size()] == '=')) return name;
  }
  return {};
}

// Puts the option's value into `options`; false when the value is not understood. A path is
// understood when it is not empty.
bool SetValueOption(std::string_view name, std::string_view value, Options& options) {
  PhotoOptions& photos = options.Photos;
  if (name == "--template" || name == "--output" || name == "-o") {
    if (value.empty()) return false;
    (name == "--template" ? options.TemplatePath : options.OutputPath) = value;
  } else if (name == "--photos") {
    if (value.empty()) return false;
    photos.Folders.emplace_back(value);
  } else if (name == "--camera-zone") {
    const std::optional<CameraZone> zone = ParseCameraZone(value);
    if (!zone) return false;
    photos.Zone = *zone;
  } else {
    const std::optional<std::int64_t> shift = ParseClockShift(value);
    if (!shift) return false;
    photos.ClockShiftSeconds = *shift;
  }
  return true;
}

}  // namespace

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
    } else if (const std::string_view name = ValueOptionName(argument); !name.empty()) {
      // The value follows "=", or is the next argument, taken whole (so "-05:00" is a value).
      std::optional<std::string_view> value;
      std::string given(argument);
      if (argument.size() > name.size()) {
        value = argument.substr(name.size() + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
        given += ' ';
        given += *value;
      }
      if (!value || !SetValueOption(name, *value, options)) {
        options.Unusable = std::move(given);
        return options;
      }
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

std::string ConfigHomeFrom(const char* xdgConfigHome, const char* home) {
  // A relative $XDG_CONFIG_HOME is not to be used, by the convention that defines it.
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') return xdgConfigHome;
  if (home != nullptr && home[0] != '\0') return JoinPath(home, ".config");
  return {};
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

std::string HelpText() {
  return UsageText() +
         "\n"
         "Template and page options:\n"
         "  --template=FILE       fill FILE instead of the first template.dat found in these\n"
         "                        places: $XDG_CONFIG_HOME/routelet/ (~/.config/routelet/ when\n"
         "                        XDG_CONFIG_HOME is not set), beside the program, then\n"
         "                        <prefix>/share/routelet/ for an installed program\n"
         "  -o, --output=PATH     write the page to PATH instead of beside the log; - writes it\n"
         "                        to standard output\n"
         "Beside the log, the page takes the log's name with the extension html, or the word\n"
         "in the template's *extension section (letters and digits only, such as gpx).\n"
         "\n"
         "Photo options:\n"
         "  --photos=FOLDER       take the photos from FOLDER and its subfolders instead of the\n"
         "                        log's folder; may be given more than once\n"
         "  --camera-zone=ZONE    the zone of the camera's clock for photos that do not state\n"
         "                        their own: +hh:mm, -hh:mm, UTC or a name such as Europe/Rome\n"
         "                        (default +09:00, Japan time)\n"
         "  --camera-shift=SHIFT  seconds, or [-]hh:mm:ss, added to every camera time, for a\n"
         "                        camera clock that runs slow (positive) or fast (negative)\n"
         "Each also takes its value as the next argument. A value that is not understood ends\n"
         "the program with exit status 2. On a terminal, a line after the page is written\n"
         "tells how many photos were listed and why the others were left out.\n";
}

}  // namespace routelet
