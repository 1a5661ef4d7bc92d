#include "driver/console_front_end.h"

#include "driver/messages.h"
#include "platform/console.h"

namespace routelet {
namespace {

// A text as the terminal is to show it. Control characters in a file name or path would be obeyed
// by the terminal (set its title, write the clipboard, clear the screen), so each is shown
// escaped: ESC as "\e", the others of C0, DEL and C1 (U+0080 to U+009F, in UTF-8) as "\xNN".
std::string ForTerminal(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned code = static_cast<unsigned char>(text[i]);
    const bool c1 = code == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80;
    if (c1) {
      code = static_cast<unsigned char>(text[++i]);
    } else if (code >= 0x20 && code != 0x7F) {
      shown += text[i];
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, code == 0x1B ? "\\e" : "\\x%02x", code);
    shown += escaped;
  }
  return shown;
}

}  // namespace

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
  std::fputs("\r\x1b[K", err_);
  std::fflush(err_);
  progressShown_ = false;
}

void ConsoleFrontEnd::SetProgress(std::string_view text) {
  if (!errIsTerminal_) return;
  platform::WriteText(err_, "\r\x1b[K" + ForTerminal(text));
  std::fflush(err_);
  progressShown_ = true;
}

void ConsoleFrontEnd::ShowMessage(std::string_view text, std::string_view title) {
  ClearProgressLine();
  const std::string_view shownTitle = title.empty() ? kAppTitle : title;
  platform::WriteText(err_, ForTerminal(shownTitle) + ": " + ForTerminal(text) + "\n");
  std::fflush(err_);
}

void ConsoleFrontEnd::ShowSummary(std::string_view text) {
  if (!errIsTerminal_) return;
  ClearProgressLine();
  platform::WriteText(err_, std::string(text) + "\n");
  std::fflush(err_);
}

std::optional<std::string> ConsoleFrontEnd::ChooseLogFile() {
  if (!inIsTerminal_) return std::nullopt;
  platform::WriteText(err_, "GPSログ: ");
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
