#include "driver/start_choices.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/replace_file.h"
#include "platform/translations.h"
#include "runtime/files.h"
#include "runtime/text_file.h"

namespace routelet {
namespace {

// The settings file's names, the same as the options they stand for.
constexpr std::string_view kPhotos = "photos";
constexpr std::string_view kCameraZone = "camera-zone";
constexpr std::string_view kCameraShift = "camera-shift";
constexpr std::string_view kTemplate = "template";
constexpr std::string_view kOpen = "open";

// A settings file is a few lines; anything much larger is not one of ours.
constexpr std::size_t kLargestSettings = 64 * 1024;

#ifdef _WIN32
constexpr std::string_view kSettingsFolder = "Routelet";
#else
constexpr std::string_view kSettingsFolder = "routelet";
#endif

// Takes one "name=value" line into `choices`; false when the line is not one.
bool TakeSetting(std::string_view line, StartChoices& choices) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view name = line.substr(0, equals);
  const std::string value(line.substr(equals + 1));
  if (name == kPhotos) {
    if (value.empty()) return false;
    choices.PhotoFolders.push_back(value);
  } else if (name == kCameraZone) {
    choices.CameraZone = value;
  } else if (name == kCameraShift) {
    choices.CameraShift = value;
  } else if (name == kTemplate) {
    choices.Template = value;
  } else if (name == kOpen && (value == "yes" || value == "no")) {
    choices.OpenPage = value == "yes";
  } else {
    return false;
  }
  return true;
}

void AddLine(std::string& text, std::string_view name, std::string_view value) {
  text.append(name).append("=").append(value).append("\n");
}

}  // namespace

std::vector<std::string> StartArguments(const StartChoices& choices) {
  std::vector<std::string> arguments;
  for (const std::string& folder : choices.PhotoFolders) arguments.push_back("--photos=" + folder);
  if (!choices.CameraZone.empty()) arguments.push_back("--camera-zone=" + choices.CameraZone);
  if (!choices.CameraShift.empty()) arguments.push_back("--camera-shift=" + choices.CameraShift);
  if (!choices.Template.empty()) arguments.push_back("--template=" + choices.Template);
  if (choices.OpenPage) arguments.emplace_back("--open");
  // Each log through --log: a log's name then needs no care for blanks or a leading "-".
  for (const std::string& log : choices.Logs) arguments.push_back("--log=" + log);
  return arguments;
}

std::string SettingsText(const StartChoices& choices) {
  std::string text = "# Routelet: the start window's choices\n";
  for (const std::string& folder : choices.PhotoFolders) AddLine(text, kPhotos, folder);
  AddLine(text, kCameraZone, choices.CameraZone);
  AddLine(text, kCameraShift, choices.CameraShift);
  AddLine(text, kTemplate, choices.Template);
  AddLine(text, kOpen, choices.OpenPage ? "yes" : "no");
  return text;
}

StartChoices ParseSettings(std::string_view text) {
  StartChoices choices;
  // Every line ends with a line end: a file cut short mid-line is damaged.
  if (text.find('\0') != std::string_view::npos || (!text.empty() && text.back() != '\n')) return {};
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.starts_with('#')) continue;
    if (!TakeSetting(line, choices)) return {};
  }
  return choices;
}

std::string SettingsPath(std::string_view configHome) {
  if (configHome.empty()) return {};
  return JoinPath(JoinPath(configHome, kSettingsFolder), "start.conf");
}

StartChoices LoadStartSettings(std::string_view configHome) {
  const std::string path = SettingsPath(configHome);
  std::string bytes;
  if (path.empty() || InputFileProblem(path) || IsDirectory(path) || ReadFileBytes(path, bytes)) return {};
  if (bytes.size() > kLargestSettings) return {};
  return ParseSettings(bytes);
}

std::string SaveStartSettings(std::string_view configHome, const StartChoices& choices) {
  const std::string path = SettingsPath(configHome);
  if (path.empty()) return "no configuration folder";
  std::error_code made;
  std::filesystem::create_directories(platform::NativePath(DirectoryOf(path)), made);
  if (made) return made.message();
  const std::string text = SettingsText(choices);
  const std::optional<platform::SystemError> error =
      platform::ReplaceFileWith(path, {}, [&](platform::NativeFile file, platform::SystemError& failure) {
        return platform::WriteAll(file, text, failure);
      });
  return error ? platform::ErrorText(*error) : std::string();
}

std::string TemplateProblemsText(const std::vector<std::string>& problems, std::size_t shown) {
  std::string text = platform::TranslatedText("The template has problems; the page was written as it says:");
  for (std::size_t k = 0; k < problems.size() && k < shown; ++k) text += "\n" + problems[k];
  if (problems.size() > shown) {
    text += "\n" + platform::FormattedText("%s more (routelet --check-template lists them all)",
                                           {std::to_string(problems.size() - shown)});
  }
  return text;
}

std::vector<ShippedTemplate> ShippedTemplates(std::string_view programDir) {
  std::string folder = JoinPath(programDir, "templates");
  if (!IsDirectory(folder)) folder = JoinPath(programDir, "../share/routelet/templates");
  std::vector<ShippedTemplate> shipped;
  for (const std::string& name : ListFilesWithExtensions(folder, {".dat"})) {
    shipped.push_back({name.substr(0, name.size() - 4), JoinPath(folder, name)});
  }
  return shipped;
}

}  // namespace routelet
