#pragma once
// What the start window asks for (routelet --start), how it becomes the command line's options,
// and the small settings file that keeps the choices for the next start.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace routelet {

// The start window's fields. Empty texts leave the command line's defaults in place.
struct StartChoices {
  std::vector<std::string> Logs;          // not remembered: each start converts new logs
  std::vector<std::string> PhotoFolders;  // none: the first log's folder
  std::string CameraZone;                 // as --camera-zone takes it
  std::string CameraShift;                // as --camera-shift takes it
  std::string Template;                   // a template file; empty: the usual lookup
  bool OpenPage = true;

  bool operator==(const StartChoices&) const = default;
};

// The command-line arguments that say what `choices` say, so that the window's run is read by
// the same parser, checked by the same rules and converted the same way as a typed command.
std::vector<std::string> StartArguments(const StartChoices& choices);

// The settings file's text for `choices` (logs left out), one "name=value" line each.
std::string SettingsText(const StartChoices& choices);

// The choices a settings file's text holds. A text that is not wholly such lines (an unknown
// name, a line without "=", a NUL, a yes/no that is neither, a file cut short) gives the
// defaults: a damaged file must not stop the window from opening.
StartChoices ParseSettings(std::string_view text);

// Where the settings live: <configHome>/routelet/start.conf (Routelet on Windows). Empty when
// there is no configuration folder.
std::string SettingsPath(std::string_view configHome);

// The remembered choices, or the defaults when there are none or they cannot be read.
StartChoices LoadStartSettings(std::string_view configHome);

// Writes the choices in place of the settings file in one step, making its folder when needed;
// empty text, or why not (the run goes on either way).
std::string SaveStartSettings(std::string_view configHome, const StartChoices& choices);

// The template's problems as the box after a start-window run tells them: a line that says the
// page was written all the same, the first `shown` problems, then how many more there are.
std::string TemplateProblemsText(const std::vector<std::string>& problems, std::size_t shown);

// A camera zone the window offers in its list, with what it means to the reader (a text of the
// catalogs). Japan time first, then where travellers' cameras most often keep another clock;
// any other zone is typed into the field.
struct OfferedCameraZone {
  const char* Zone;     // as --camera-zone takes it
  const char* Meaning;  // translated when shown
};
inline constexpr OfferedCameraZone kOfferedCameraZones[] = {
    {"+09:00", "Japan time"},
    {"UTC", "UTC"},
    {"Europe/London", "London"},
    {"Europe/Paris", "Paris, Berlin, Rome"},
    {"America/New_York", "New York"},
    {"America/Los_Angeles", "Los Angeles"},
    {"Asia/Shanghai", "Beijing, Taipei"},
    {"Asia/Seoul", "Seoul"},
    {"Australia/Sydney", "Sydney"},
};

// A template that comes with the program: its name as offered ("gpx") and its path.
struct ShippedTemplate {
  std::string Name;
  std::string Path;
};

// The templates in the shipped templates folder of the program in `programDir`: "templates"
// beside it (the build folder) or <prefix>/share/routelet/templates for an installed one,
// sorted by name.
std::vector<ShippedTemplate> ShippedTemplates(std::string_view programDir);

}  // namespace routelet
