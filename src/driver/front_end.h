#pragma once
// What the run needs from the user interface: a progress line, message boxes and a way to choose
// the log. The desktop front end shows windows; the terminal one writes to stderr.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/start_choices.h"

namespace routelet {

// What the start window (--start) is given: the remembered choices and the logs named on the
// command line, the templates to offer by name, and the check of a set of choices before they
// are taken (empty text: nothing wrong; else what to tell the user, who may then mend it).
struct StartRequest {
  StartChoices Choices;
  std::vector<ShippedTemplate> Templates;
  std::function<std::string(const StartChoices&)> ProblemWith;
};

// The title of the progress window and of every message box that is given no title.
inline constexpr std::string_view kAppTitle = "Routelet";

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // Shows the progress window without waiting.
  virtual void ShowProgressWindow() = 0;
  // Closes and destroys the progress window.
  virtual void CloseProgressWindow() = 0;
  // Replaces the whole progress text and lets the window repaint. Texts that come faster than
  // anyone can read may be drawn only in part, but the latest one is always what shows before a
  // message, the chooser or the window's end.
  virtual void SetProgress(std::string_view text) = 0;
  // Shows `text` and returns when the user has seen it. An empty title means kAppTitle.
  virtual void ShowMessage(std::string_view text, std::string_view title = {}) = 0;
  // Tells what the run made, once the page is written. Only a terminal shows it: the desktop
  // keeps silent on success.
  virtual void ShowSummary(std::string_view text) = 0;
  // Tells what the template check found, one problem a line ("PATH:LINE:COLUMN: text"); the
  // run goes on. Only a terminal shows them: the desktop adds no box to a run.
  virtual void ShowTemplateProblems(const std::vector<std::string>& lines) { (void)lines; }
  // Asks the user for a log file: its full path, or empty text when the user cancelled. Nothing
  // when there is no way to ask (a terminal front end without a terminal).
  virtual std::optional<std::string> ChooseLogFile() = 0;
  // Asks the user for one log file or several: their full paths, none when the user cancelled,
  // nothing when there is no way to ask. A front end whose chooser takes one file asks for it.
  virtual std::optional<std::vector<std::string>> ChooseLogFiles() {
    const std::optional<std::string> chosen = ChooseLogFile();
    if (!chosen) return std::nullopt;
    if (chosen->empty()) return std::vector<std::string>();
    return std::vector<std::string>{*chosen};
  }
  // Opens the written page at `pagePath` in the desktop's web browser. Nothing when it was
  // opened; else the reason why not, for the run to tell the user.
  virtual std::optional<std::string> OpenPage(const std::string& pagePath) = 0;
  // Shows the start window until the user converts (true; `request.Choices` then hold the
  // window's fields, checked by ProblemWith) or closes it (false). Nothing from a front end
  // without windows.
  virtual std::optional<bool> AskStartChoices(StartRequest& request) {
    (void)request;
    return std::nullopt;
  }
  // The page is written at `pagePath`; the summary has been shown just before.
  virtual void PageWritten(const std::string& pagePath) { (void)pagePath; }
  // The run is over. A desktop run of the start window ends with a box that tells what it made.
  virtual void RunEnded() {}
};

}  // namespace routelet
