#include "driver/command_line.h"

#include <algorithm>
#include <charconv>
#include <span>
#include <optional>

#include "platform/translations.h"
#include "runtime/escape.h"
#include "runtime/files.h"

namespace routelet {
namespace {

constexpr std::string_view kValueOptionNames[] = {"--template",     "--output",       "-o",        "--photos",
                                                  "--camera-zone", "--camera-shift", "--threads", "--max-gap",
                                                  "--log",         "--split-gap",    "--tile-source", "--zone"};

// The option an argument names when it is one that takes a value ("--photos" or
// "--photos=..."); empty otherwise.
std::string_view ValueOptionName(std::string_view argument) {
  for (const std::string_view name : kValueOptionNames) {
    if (argument.starts_with(name) && (argument.size() == name.size() || argument[name.size()] == '=')) return name;
  }
  return {};
}

constexpr std::string_view kCheckTemplate = "--check-template";

// The most threads --threads may ask for.
constexpr unsigned kMaxThreads = 64;

// Sets the thread count from the value of --threads; false when it is not a number from 1 to
// kMaxThreads.
bool SetThreads(std::string_view value, Parallelism& work) {
  unsigned threads = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), threads);
  if (error != std::errc() || end != value.data() + value.size() || threads < 1 || threads > kMaxThreads) return false;
  work.Threads = threads;
  return true;
}

// A tile server's address: http:// or https://, with {z}, {x} and {y} for the tile's numbers.
bool IsTileUrlTemplate(std::string_view value) {
  const bool web = value.starts_with("http://") || value.starts_with("https://");
  return web && value.find("{z}") != std::string_view::npos && value.find("{x}") != std::string_view::npos &&
         value.find("{y}") != std::string_view::npos && value.find_first_of(" \t\r\n") == std::string_view::npos;
}

// The longest --max-gap: a week.
constexpr std::int64_t kMaxGapLimit = 7 * 24 * 3600;

// Sets the largest time between two fixes that a photo is placed between, from the value of
// --max-gap; false when it is not a whole number of seconds from 0 to kMaxGapLimit.
bool SetMaxGap(std::string_view value, PhotoOptions& photos) {
  std::int64_t seconds = -1;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (error != std::errc() || end != value.data() + value.size() || seconds < 0 || seconds > kMaxGapLimit) return false;
  photos.MaxGapSeconds = seconds;
  return true;
}

// The longest --split-gap, in minutes: a year.
constexpr std::int64_t kMaxSplitGapMinutes = 366 * 24 * 60;

// Sets the split gap from the value of --split-gap, whole minutes; false when it is not a number
// from 1 to kMaxSplitGapMinutes.
bool SetSplitGap(std::string_view value, SegmentRules& rules) {
  std::int64_t minutes = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), minutes);
  if (error != std::errc() || end != value.data() + value.size() || minutes < 1 || minutes > kMaxSplitGapMinutes) {
    return false;
  }
  rules.SplitGapSeconds = minutes * 60;
  return true;
}

// Puts the option's value into `options`; false when the value is not understood. A path is
// understood when it is not empty; a photo folder, when it is a folder that can be read, so that
// a mistyped one ends the run before anything is written rather than giving a page without photos.
bool SetValueOption(std::string_view name, std::string_view value, Options& options) {
  PhotoOptions& photos = options.Photos;
  if (name == "--template" || name == "--output" || name == "-o") {
    if (value.empty()) return false;
    (name == "--template" ? options.TemplatePath : options.OutputPath) = value;
  } else if (name == "--photos") {
    if (value.empty() || !IsReadableFolder(std::string(value))) return false;
    photos.Folders.emplace_back(value);
  } else if (name == "--threads") {
    return SetThreads(value, options.Work);
  } else if (name == "--max-gap") {
    return SetMaxGap(value, photos);
  } else if (name == "--split-gap") {
    return SetSplitGap(value, options.Segments);
  } else if (name == "--log") {
    if (value.empty()) return false;
    options.LogPaths.emplace_back(value);
  } else if (name == "--tile-source") {
    if (!IsTileUrlTemplate(value)) return false;
    options.TileSource = value;
  } else if (name == "--camera-zone" || name == "--zone") {
    const std::optional<CameraZone> zone = ParseCameraZone(value);
    if (!zone) return false;
    if (name == "--zone") {
      options.PageZone = *zone;
    } else {
      photos.Zone = *zone;
    }
  } else {
    const std::optional<std::int64_t> shift = ParseClockShift(value);
    if (!shift) return false;
    photos.ClockShiftSeconds = *shift;
  }
  return true;
}

// `text` in the user's language when there is a translation for it.
const char* Translated(const char* text) { return platform::TranslatedText(text); }

bool LooksLikeAnOption(std::string_view argument) { return argument.size() > 1 && argument[0] == '-'; }

// The words after the options: one path, joined by blanks, when that names an existing entry
// (a name with blanks typed without quotes) or when not every word names one; else one log each.
void SetLogWords(std::span<const std::string_view> words, Options& options) {
  for (std::size_t k = 0; k < words.size(); ++k) {
    if (k > 0) options.LogPath += ' ';
    options.LogPath += words[k];
    options.OptionAfterLog = options.OptionAfterLog || (k > 0 && !ValueOptionName(words[k]).empty());
  }
  const auto exists = [](std::string_view word) { return PathExists(std::string(word)); };
  if (words.size() < 2 || PathExists(options.LogPath) || !std::all_of(words.begin(), words.end(), exists)) return;
  options.LogPath.clear();
  options.LogPaths.insert(options.LogPaths.end(), words.begin(), words.end());
}

}  // namespace

Options ParseCommandLine(const std::vector<std::string_view>& arguments) {
  Options options;
  options.Work.Threads = DefaultThreadCount();
  std::size_t i = 0;
  for (; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.Help = true;
    } else if (argument == "--version" || argument == "-V") {
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
    } else if (argument == "--geotag" || argument.starts_with("--geotag=")) {
      // Its value, when given, follows "=": a bare --geotag is complete, so the next argument is
      // never taken for one.
      const std::string_view value = argument.size() > 8 ? argument.substr(9) : "";
      if (argument == "--geotag") {
        options.Geotag = GeotagMode::kMissing;
      } else if (value == "overwrite" || value == "dry-run") {
        options.Geotag = value == "overwrite" ? GeotagMode::kOverwrite : GeotagMode::kDryRun;
      } else {
        options.Unusable = std::string(argument);
        return options;
      }
    } else if (argument == "--open") {
      options.OpenPage = true;
    } else if (argument == "--single-file") {
      options.SingleFile = true;
    } else if (argument == "--start") {
      options.StartWindow = true;
    } else if (argument == kCheckTemplate || argument.starts_with(std::string(kCheckTemplate) + "=")) {
      // The file is optional, so it is never taken from the next argument, which may be a log.
      options.CheckTemplate = true;
      if (argument.size() > kCheckTemplate.size()) {
        if (argument.size() == kCheckTemplate.size() + 1) {
          options.Unusable = argument;
          return options;
        }
        options.TemplatePath = argument.substr(kCheckTemplate.size() + 1);
      }
    } else if (argument == "--") {
      ++i;
      break;
    } else if (LooksLikeAnOption(argument)) {
      options.UnknownOption = argument;
      return options;
    } else {
      break;
    }
  }
  SetLogWords({arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end()}, options);
  return options;
}

std::string UsageText() {
  return Translated(
      "Usage: routelet [OPTION]... [--] [LOG WORDS...]\n"
      "Converts a GPS log (NMEA 0183) into a web page beside the log (LOG with the extension\n"
      ".html), filled from template.dat beside the program, with the JPEG photos of the log's\n"
      "folder that were taken during the track.\n"
      "The words after the options form one path, so a name with blanks needs no quotes; a log\n"
      "whose name begins with \"-\" goes after \"--\".\n"
      "Without LOG the program asks for one (a file dialog, or a prompt on a terminal).\n"
      "\n"
      "Options:\n"
      "      --gui        show a progress window and message boxes (the default with a display)\n"
      "      --console    report on the terminal instead\n"
      "      --open       open the written page in the desktop's web browser\n"
      "  -h, --help       show this help and exit\n"
      "  -V, --version    show the version and exit\n"
      "      --           end of options: what follows is the log path\n"
      "\n"
      "Exit status: 0 when the page was written, when it came out empty (nothing written),\n"
      "or when no log was chosen; 1 when the template, the log or the page failed; 2 for an\n"
      "unknown option.\n");
}

std::string UnknownOptionText(std::string_view option) {
  return platform::FormattedText("routelet: unknown option '%s'\n", {TerminalEscape(option)});
}

std::string HelpText() {
  return UsageText() + Translated(
         "\n"
         "Template and page options:\n"
         "  --template=FILE       fill FILE instead of the first template.dat found in these\n"
         "                        places: $XDG_CONFIG_HOME/routelet/ (~/.config/routelet/ when\n"
         "                        XDG_CONFIG_HOME is not set), beside the program, then\n"
         "                        <prefix>/share/routelet/ for an installed program\n"
         "  -o, --output=PATH     write the page to PATH instead of beside the log; - writes it\n"
         "                        to standard output\n"
         "Beside the log, the page takes the log's name with the extension html, or the word\n"
         "in the template's *extension section (letters and digits only, such as gpx).\n") +
         Translated(
         "  --check-template[=FILE]  check FILE (or the template found as above) and list on\n"
         "                        standard output, as PATH:LINE:COLUMN: text, each unknown\n"
         "                        placeholder or section, a page without [recordlist], an\n"
         "                        unclosed [name, bytes not valid in the file's encoding and an\n"
         "                        empty template; exit status 1 when there is one, else 0.\n"
         "                        A run tells the same on a terminal, and writes its page.\n") +
         Translated(
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
         "tells how many photos were listed and why the others were left out.\n") +
         Translated(
         "\n"
         "Photo positions:\n"
         "  --max-gap=SECONDS     place a photo between the two fixes around its time only when\n"
         "                        they are at most SECONDS apart (default 300); else at the\n"
         "                        nearest fix within 60 seconds, else nowhere. A photo's own\n"
         "                        GPS position wins over the track\n"
         "  --geotag[=MODE]       write the track's position into each listed JPEG photo that\n"
         "                        has none of its own (GPS tags; the photo keeps everything else,\n"
         "                        its permissions and its time); MODE overwrite also replaces\n"
         "                        positions the photos have, dry-run only tells what it would\n"
         "                        write. Linux only for now\n") +
         Translated(
         "\n"
         "Logs:\n"
         "The log's content, not its name, tells what it is: NMEA 0183 sentences, or a GPX 1.0\n"
         "or 1.1, TCX or KML (gx:Track) track file, whose track points, with their times and\n"
         "altitudes, become the page's points. Either may be compressed with gzip (.gz). A\n"
         "file with neither NMEA sentences nor track points is refused: exit status 1.\n") +
         Translated(
         "\n"
         "Several logs:\n"
         "  --log=FILE            convert FILE; may be given more than once, and besides the\n"
         "                        words after the options, to make one page of several logs\n"
         "  --split-gap=MINUTES   also start a new segment where two fixes lie more than\n"
         "                        MINUTES apart (whole minutes; by default each log, and each\n"
         "                        GPX trkseg, TCX Track or KML gx:Track, is one segment)\n"
         "When the words after the options do not name one file together but each names a\n"
         "file, each is a log. A folder given as the log makes one page of the logs in it (not\n"
         "in its subfolders), placed inside it and named after it. The logs are taken in the\n"
         "order of their first fix; the page goes beside the first one unless -o says where,\n"
         "and the photos come from that log's folder. Distance and speed never run from one\n"
         "segment to the next.\n") +
         Translated(
         "\n"
         "Other options:\n"
         "  --threads=N           convert a large log on N threads (default: one per processor\n"
         "                        the program may use, at most 8); 1 converts on one thread\n") +
         Translated(
         "\n"
         "Desktop:\n"
         "  --start               open the start window (the menu entry's command): log files,\n"
         "                        photo folders, camera zone and shift, template, and whether\n"
         "                        to open the page; logs named after the options are filled\n"
         "                        in. The choices but the logs are kept for the next start in\n"
         "                        $XDG_CONFIG_HOME/routelet/start.conf. After the page is\n"
         "                        written a box tells what it holds, with buttons to open the\n"
         "                        page and to show it in its folder\n") +
         Translated(
         "\n"
         "A page to send:\n"
         "  --single-file         make a page that carries everything it shows, so that it can\n"
         "                        be mailed or copied alone: previews of its photos (1600 px)\n"
         "                        and, inside Japan, the GSI map's tiles around the track,\n"
         "                        fetched now (at most 400 tiles, kept in\n"
         "                        $XDG_CACHE_HOME/routelet/tiles). OpenStreetMap's terms forbid\n"
         "                        fetching its tiles for later, so elsewhere the page shows its\n"
         "                        map online; without network the page is written without one\n"
         "  --tile-source=URL     fetch the tiles from URL, with {z}, {x} and {y} for the tile\n"
         "                        (http:// or https://): a server whose terms allow it, inside\n"
         "                        Japan or anywhere else\n"
         "On Linux only for now: the Windows program refuses --single-file.\n") +
         Translated(
         "\n"
         "Times:\n"
         "  --zone=ZONE           the zone of the page's times: +hh:mm, -hh:mm, UTC or a name\n"
         "                        such as Europe/Rome (default: this machine's zone), which\n"
         "                        [zone] names in the page; photos show their instant in it\n");
}

}  // namespace routelet
