#include "driver/start_run.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/translations.h"
#include "runtime/files.h"

namespace routelet {
namespace {

// The options the window's choices give, read by the command line's own parser.
Options OptionsOfChoices(const StartChoices& choices) {
  const std::vector<std::string> arguments = StartArguments(choices);
  return ParseCommandLine(std::vector<std::string_view>(arguments.begin(), arguments.end()));
}

// What keeps the choices from a run: no log, or a value the command line would refuse.
std::string ProblemWith(const StartChoices& choices) {
  if (choices.Logs.empty()) return platform::TranslatedText("Add a log file to convert.");
  const Options chosen = OptionsOfChoices(choices);
  if (chosen.Unusable.empty()) return {};
  return platform::FormattedText("This is not understood: %s", {chosen.Unusable});
}

}  // namespace

Options OptionsForStartRun(const Options& given, const StartChoices& choices) {
  const Options window = OptionsOfChoices(choices);
  Options run = given;
  run.StartWindow = false;
  run.LogPath.clear();
  run.OptionAfterLog = false;
  run.LogPaths = window.LogPaths;
  run.Photos.Folders = window.Photos.Folders;
  run.Photos.Zone = window.Photos.Zone;
  run.Photos.ClockShiftSeconds = window.Photos.ClockShiftSeconds;
  run.TemplatePath = window.TemplatePath;
  run.OpenPage = window.OpenPage;
  return run;
}

RunResult RunFromStartWindow(const Options& options, FrontEnd& ui) {
  StartRequest request{LoadStartSettings(options.ConfigHome), ShippedTemplates(ProgramDirectory(options.ProgramPath)), ProblemWith};
  request.Choices.Logs = options.LogPaths;
  if (!options.LogPath.empty()) request.Choices.Logs.push_back(options.LogPath);
  const std::optional<bool> convert = ui.AskStartChoices(request);
  if (!convert) {
    ui.ShowMessage(platform::TranslatedText("--start needs a desktop display"));
    return RunResult::kFailed;
  }
  if (!*convert) return RunResult::kCancelled;
  if (const std::string problem = SaveStartSettings(options.ConfigHome, request.Choices); !problem.empty()) {
    ui.ShowMessage(platform::FormattedText("The choices could not be kept for the next start (%s).", {problem}));
  }
  const RunResult result = RunConversion(OptionsForStartRun(options, request.Choices), ui);
  ui.RunEnded();
  return result;
}

}  // namespace routelet
