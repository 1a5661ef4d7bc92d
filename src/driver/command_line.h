#pragma once
// The command line: routelet [OPTION]... [--] [LOG WORDS...]
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "photos/camera_clock.h"
#include "photos/find_photos.h"
#include "photos/geotag.h"
#include "runtime/parallel.h"
#include "track/segments.h"

namespace routelet {

// Everything the command line says, handed down to the run as it is, with the one thing the
// run takes from the environment: where the user's configuration folder is.
struct Options {
  enum class FrontEndChoice { kDefault, kDesktop, kTerminal };

  FrontEndChoice FrontEnd = FrontEndChoice::kDefault;
  bool Help = false;
  bool Version = false;
  // Open the written page in the desktop's web browser (--open).
  bool OpenPage = false;
  // Ask for the logs and the choices in the start window (--start); logs named after the
  // options are filled in.
  bool StartWindow = false;
  // Check the template instead of converting a log (--check-template[=FILE], FILE going into
  // TemplatePath).
  bool CheckTemplate = false;
  // An argument in the options' place that looks like an option ("-" and a letter or more) but
  // is none; the program then says so and does not run. Empty when there is none.
  std::string UnknownOption;
  // The arguments after the options joined by single blanks: one path, so that a name with
  // blanks typed without quotes still names one file. Empty: the user is asked, unless LogPaths
  // names logs.
  std::string LogPath;
  // A word after the first of LogPath names an option that takes a value ("--photos=card"):
  // when LogPath names no file, the user is told that options go before the log.
  bool OptionAfterLog = false;
  // Logs converted together into one page besides LogPath: those of --log, in order, and the
  // words after the options when they do not join into the name of an existing entry but each
  // names one (LogPath is empty then).
  std::vector<std::string> LogPaths;
  // Where a log's track is cut into segments besides its own pieces (--split-gap).
  SegmentRules Segments;
  // The template to fill (--template). Empty: the first template.dat found in the usual places
  // (TemplatePath() in template/load_template.h).
  std::string TemplatePath;
  // The user's configuration folder, where routelet/template.dat is looked for first: see
  // platform::UserConfigHome. Empty: none.
  std::string ConfigHome;
  // The user's language is neither Japanese nor that of the C locale: the shipped template is
  // looked for in English first (template.en.dat).
  bool EnglishPage = false;
  // Where the page goes (-o, --output): a path, or "-" for standard output. Empty: beside the
  // log, under the log's name with the template's extension.
  std::string OutputPath;
  // Where the photos are, how the cameras' clocks relate to UTC and how photos are placed on
  // the track (--photos, --camera-zone, --camera-shift, --max-gap).
  PhotoOptions Photos;
  // Make a page that carries everything it shows (--single-file): previews of its photos and
  // the background map's tiles around the track, fetched now (--tile-source names the server).
  bool SingleFile = false;
  std::string TileSource;
  // The user's cache folder (platform::UserCacheHome), under which fetched tiles are kept.
  std::string CacheHome;
  // The zone of the page's local times (--zone, the forms of --camera-zone); empty: the
  // machine's zone.
  std::optional<CameraZone> PageZone;
  // Which photos get their position written into them (--geotag[=overwrite|dry-run]).
  GeotagMode Geotag = GeotagMode::kOff;
  // How many threads convert a large log (--threads=N, 1 to 64; by default one per processor the
  // program may use, at most kMaxDefaultThreads), and, for tests, how finely steps cut their work.
  Parallelism Work;
  // The option whose value could not be understood, as it was given ("--camera-zone=Mars");
  // empty when every option was understood. The run must not start when it is set.
  std::string Unusable;
  // The name the program was started by (argv[0]): where it is found when /proc cannot tell.
  std::string ProgramPath;
};

// Options come first: -h/--help, -V/--version, --console, --gui, --open, --single-file, --start,
// --check-template[=FILE] (its value only after "="), the options with a
// value (--template, -o/--output, --photos, --camera-zone, --camera-shift, --threads, --max-gap,
// --log, --split-gap, --tile-source; as
// "--name=VALUE" or "--name VALUE"), and "--" to end them. The first argument that does not begin with "-" (or is
// "-" alone) starts the log path, and nothing after it is an option; a log whose name begins
// with "-" goes after "--". Parsing stops at an unknown option or at an option whose value is
// not understood.
Options ParseCommandLine(const std::vector<std::string_view>& arguments);

// How the program is called, with the general options: printed for an unknown option and when
// there is no log and no way to ask for one. In Japanese when the locale's language (LC_ALL,
// LC_MESSAGES, LANG, as gettext reads them) is Japanese, in English otherwise.
std::string UsageText();

// The text printed for --help: the usage, the template and page options with the places the
// template is looked for, then the photo options, in the language of UsageText.
std::string HelpText();

// The line printed before the usage for an unknown option, in the language of UsageText, the
// option as the terminal is to show it (TerminalEscape).
std::string UnknownOptionText(std::string_view option);

}  // namespace routelet
