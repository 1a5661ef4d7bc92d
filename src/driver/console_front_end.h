#pragma once
// The terminal front end: progress and messages on stderr, the log path asked at a prompt.
#include <cstdio>
#include <optional>
#include <string>

#include "driver/front_end.h"

namespace routelet {

// The template problems a run shows at most; --check-template lists them all.
inline constexpr std::size_t kTemplateProblemsShown = 10;

class ConsoleFrontEnd : public FrontEnd {
 public:
  // `in` answers the prompt; `err` receives progress and messages. `interactive` says whether
  // `err` is a terminal (progress is shown only there) and `in` may be prompted.
  ConsoleFrontEnd(std::FILE* in, std::FILE* err, bool errIsTerminal, bool inIsTerminal);
  // stdin and stderr, with the terminal checks made on them.
  static ConsoleFrontEnd ForStandardStreams();

  void ShowProgressWindow() override;
  void CloseProgressWindow() override;
  void SetProgress(std::string_view text) override;
  void ShowMessage(std::string_view text, std::string_view title) override;
  // One line, only when stderr is a terminal: a run whose stderr goes to a file or a pipe
  // writes nothing more than it did before the line existed.
  void ShowSummary(std::string_view text) override;
  // Like the summary, only when stderr is a terminal: the first kTemplateProblemsShown lines,
  // then how many more there are.
  void ShowTemplateProblems(const std::vector<std::string>& lines) override;
  // Asks at a prompt on the terminal; nothing when stdin is not a terminal.
  std::optional<std::string> ChooseLogFile() override;
  // A terminal has no browser to open a page in.
  std::optional<std::string> OpenPage(const std::string& pagePath) override;

 private:
  void ClearProgressLine();

  std::FILE* in_;
  std::FILE* err_;
  bool errIsTerminal_;
  bool inIsTerminal_;
  bool progressShown_ = false;
};

}  // namespace routelet
