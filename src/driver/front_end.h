#pragma once
// What the run needs from the user interface: a progress line, message boxes and a way to choose
// the log. The desktop front end shows windows; the terminal one writes to stderr.
#include <string>
#include <string_view>

namespace routelet {

// The title of the progress window and of every message box that is given no title.
inline constexpr std::string_view kAppTitle = "Routelet";
// The title of the run's own error messages.
inline constexpr std::string_view kErrorTitle = "エラー";

// The texts of the loaders' own messages: a file that is not there, and one that is there but
// cannot be read (a folder, no permission), with the system's reason.
inline std::string NotFoundMessage(std::string_view name) { return std::string(name) + "が見つかりません"; }
inline std::string CannotOpenMessage(std::string_view path, std::string_view reason) {
  return std::string(path) + "を開けません（" + std::string(reason) + "）";
}

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // Shows the progress window without waiting.
  virtual void ShowProgressWindow() = 0;
  // Closes and destroys the progress window.
  virtual void CloseProgressWindow() = 0;
  // Replaces the whole progress text and lets the window repaint once.
  virtual void SetProgress(std::string_view text) = 0;
  // Shows `text` and returns when the user has seen it. An empty title means kAppTitle.
  virtual void ShowMessage(std::string_view text, std::string_view title = {}) = 0;
  // Asks the user for a log file: its full path, or empty text when the user cancelled.
  virtual std::string ChooseLogFile() = 0;
};

}  // namespace routelet
