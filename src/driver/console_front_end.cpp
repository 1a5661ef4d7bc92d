#include "driver/console_front_end.h"

#include "driver/messages.h"
#include "platform/console.h"
#include "platform/translations.h"
#include "runtime/escape.h"

namespace routelet {
ConsoleFrontEnd::ConsoleFrontEnd(std::FILE* in, std::FILE* err, bool errIsTerminal, bool inIsTerminal)
    : in_(in), err_(err), errIsTerminal_(errIsTerminal), inIsTerminal_(inIsTerminal) {}

ConsoleFrontEnd ConsoleFrontEnd::ForStandardStreams() {
  return ConsoleFrontEnd(stdin, stderr, platform::IsTerminal(stderr), platform::IsTerminal(stdin));
}

void ConsoleFrontEnd::ShowProgressWindow() {}

void ConsoleFrontEnd::CloseProgressWindow() { ClearProgressLine(); }

void ConsoleFrontEnd::ClearProgressLine() {
  if (!progressShown_) return;
  // Carriage return, then erase to the end of the line.
  platform::WriteText(err_, "\r\x1b[K");
  std::fflush(err_);
  progressShown_ = false;
}

void ConsoleFrontEnd::SetProgress(std::string_view text) {
  if (!errIsTerminal_) return;
  platform::WriteText(err_, "\r\x1b[K" + TerminalEscape(text));
  std::fflush(err_);
  progressShown_ = true;
}

void ConsoleFrontEnd::ShowMessage(std::string_view text, std::string_view title) {
  ClearProgressLine();
  const std::string_view shownTitle = title.empty() ? kAppTitle : title;
  platform::WriteText(err_, TerminalEscape(shownTitle) + ": " + TerminalEscape(text) + "\n");
  std::fflush(err_);
}

void ConsoleFrontEnd::ShowSummary(std::string_view text) {
  if (!errIsTerminal_) return;
  ClearProgressLine();
  platform::WriteText(err_, TerminalEscape(text) + "\n");
  std::fflush(err_);
}

void ConsoleFrontEnd::ShowTemplateProblems(const std::vector<std::string>& lines) {
  if (!errIsTerminal_ || lines.empty()) return;
  ClearProgressLine();
  std::string text;
  for (std::size_t i = 0; i < lines.size() && i < kTemplateProblemsShown; ++i) text += TerminalEscape(lines[i]) + "\n";
  if (lines.size() > kTemplateProblemsShown) {
    text += platform::FormattedText("routelet: %s more (routelet --check-template lists them all)\n",
                                    {std::to_string(lines.size() - kTemplateProblemsShown)});
  }
  platform::WriteText(err_, text);
  std::fflush(err_);
}

std::optional<std::string> ConsoleFrontEnd::ChooseLogFile() {
  if (!inIsTerminal_) return std::nullopt;
  platform::WriteText(err_, platform::TranslatedText("GPSログ: "));
  std::fflush(err_);
  std::string answer;
  for (int c = std::fgetc(in_); c != EOF && c != '\n'; c = std::fgetc(in_)) {
    answer.push_back(static_cast<char>(c));
  }
  if (!answer.empty() && answer.back() == '\r') answer.pop_back();
  return answer;
}

std::optional<std::string> ConsoleFrontEnd::OpenPage(const std::string&) { return std::string(kOpenNeedsDesktop); }

}  // namespace routelet
