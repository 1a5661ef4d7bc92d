#include "driver/console_front_end.h"

#include <unistd.h>

#include "driver/messages.h"
#include "runtime/escape.h"

namespace routelet {
ConsoleFrontEnd::ConsoleFrontEnd(std::FILE* in, std::FILE* err, bool errIsTerminal, bool inIsTerminal)
    : in_(in), err_(err), errIsTerminal_(errIsTerminal), inIsTerminal_(inIsTerminal) {}

ConsoleFrontEnd ConsoleFrontEnd::ForStandardStreams() {
  return ConsoleFrontEnd(stdin, stderr, ::isatty(STDERR_FILENO) == 1, ::isatty(STDIN_FILENO) == 1);
}

void ConsoleFrontEnd::ShowProgressWindow() {}

void ConsoleFrontEnd::CloseProgressWindow() { ClearProgressLine(); }

void ConsoleFrontEnd::ClearProgressLine() {
  if (!progressShown_) return;
  // Carriage return, then erase to the end of the line.
  std::fputs("\r\x1b[K", err_);
  std::fflush(err_);
  progressShown_ = false;
}

void ConsoleFrontEnd::SetProgress(std::string_view text) {
  if (!errIsTerminal_) return;
  std::fputs("\r\x1b[K", err_);
  std::fputs(TerminalEscape(text).c_str(), err_);
  std::fflush(err_);
  progressShown_ = true;
}

void ConsoleFrontEnd::ShowMessage(std::string_view text, std::string_view title) {
  ClearProgressLine();
  const std::string_view shownTitle = title.empty() ? kAppTitle : title;
  std::fprintf(err_, "%s: %s\n", TerminalEscape(shownTitle).c_str(), TerminalEscape(text).c_str());
  std::fflush(err_);
}

void ConsoleFrontEnd::ShowSummary(std::string_view text) {
  if (!errIsTerminal_) return;
  ClearProgressLine();
  std::fprintf(err_, "%s\n", TerminalEscape(text).c_str());
  std::fflush(err_);
}

std::optional<std::string> ConsoleFrontEnd::ChooseLogFile() {
  if (!inIsTerminal_) return std::nullopt;
  std::fputs("GPSログ: ", err_);
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
