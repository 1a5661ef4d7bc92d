#include "driver/win32/win32_front_end.h"

#include <string>
#include <vector>

#include "driver/log_filters.h"
#include "driver/console_front_end.h"
#include "driver/win32/progress_window.h"
#include "driver/win32/start_window.h"
#include "platform/win32.h"
#include "platform/translations.h"

// After <windows.h>, which they need.
#include <commdlg.h>
#include <shellapi.h>

namespace routelet {
namespace {

void RunMessageBox(HWND owner, std::string_view text, std::string_view title) {
  MessageBoxW(owner, platform::Wide(text).c_str(), platform::Wide(title.empty() ? kAppTitle : title).c_str(),
              MB_OK | MB_SETFOREGROUND);
}

// "Name\0*.log\0...Name\0*.gpx;*.tcx\0...\0\0", the filters in the order every desktop offers them.
std::wstring FilterText() {
  std::wstring filters;
  for (const LogFilter& filter : kLogFilters) {
    filters += platform::Wide(platform::TranslatedText(filter.Name));
    filters += L'\0';
    std::wstring patterns;
    ForEachExtension(filter, [&](std::string_view extension) {
      patterns += (patterns.empty() ? L"*" : L";*") + platform::Wide(extension);
    });
    filters += patterns.empty() ? L"*.*" : patterns;
    filters += L'\0';
  }
  filters += L'\0';
  return filters;
}

// The chosen logs' full paths; none on cancel. The dialog itself refuses a name that names no
// file, and adds ".log" to a name typed without extension, as the GTK chooser does. Several files
// come back as their folder and their names, each ended by a NUL; one file as its full path.
std::vector<std::string> RunLogChooser(HWND owner) {
  const std::wstring filters = FilterText();
  const std::wstring title = platform::Wide(kLogChooserTitle);
  std::wstring buffer(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = L"log";
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 OFN_ALLOWMULTISELECT;
  if (!GetOpenFileNameW(&dialog)) return {};
  std::vector<std::wstring> parts;
  for (std::size_t at = 0; at < buffer.size() && buffer[at] != L'\0'; at = buffer.find(L'\0', at) + 1) {
    parts.emplace_back(buffer.c_str() + at);
  }
  std::vector<std::string> chosen;
  if (parts.size() == 1) chosen.push_back(platform::Narrow(parts.front()));
  const std::wstring folder = parts.front().ends_with(L'\\') ? parts.front() : parts.front() + L"\\";
  for (std::size_t k = 1; k < parts.size(); ++k) chosen.push_back(platform::Narrow(folder + parts[k]));
  return chosen;
}

class Win32FrontEnd : public FrontEnd {
 public:
  void ShowProgressWindow() override {
    EnsureProgressWindow();
    progress_->Show();
  }

  void CloseProgressWindow() override {
    FlushProgress();
    progress_.reset();
  }

  void SetProgress(std::string_view text) override {
    EnsureProgressWindow();
    progress_->SetText(text);
  }

  void ShowMessage(std::string_view text, std::string_view title) override {
    FlushProgress();
    RunMessageBox(Owner(), text, title);
  }

  // Silence on success, as a desktop tool keeps; a run of the start window tells it in its
  // last box instead.
  void ShowSummary(std::string_view text) override { summary_ = text; }
  void ShowTemplateProblems(const std::vector<std::string>& lines) override { problems_ = lines; }
  void PageWritten(const std::string& pagePath) override { pagePath_ = pagePath; }
  std::optional<bool> AskStartChoices(StartRequest& request) override {
    started_ = true;
    return RunWin32StartWindow(request);
  }
  void RunEnded() override {
    if (!started_ || pagePath_.empty()) return;
    progress_.reset();
    std::string text = summary_;
    if (!problems_.empty()) text += "\n\n" + TemplateProblemsText(problems_, kTemplateProblemsShown);
    RunWin32LastBox(text, pagePath_, [this](const std::string& page) {
      if (const auto problem = OpenPage(page)) RunMessageBox(nullptr, *problem, {});
    });
  }

  std::optional<std::string> ChooseLogFile() override {
    const std::vector<std::string> chosen = *ChooseLogFiles();
    return chosen.empty() ? std::string() : chosen.front();
  }
  std::optional<std::vector<std::string>> ChooseLogFiles() override {
    FlushProgress();
    return RunLogChooser(Owner());
  }

  std::optional<std::string> OpenPage(const std::string& pagePath) override {
    // Above 32: started; the shell's own codes below that are told with the system's text.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(Owner(), L"open", platform::Wide(pagePath).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return std::nullopt;
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   GetLastError(), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = text != nullptr ? platform::Narrow(text) : "error " + std::to_string(result);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) reason.pop_back();
    return reason;
  }

 private:
  HWND Owner() const { return progress_ != nullptr ? progress_->Window() : nullptr; }

  void EnsureProgressWindow() {
    if (progress_ == nullptr) progress_ = std::make_unique<Win32ProgressWindow>();
  }

  void FlushProgress() {
    if (progress_ != nullptr) progress_->Flush();
  }

  std::unique_ptr<Win32ProgressWindow> progress_;
  bool started_ = false;  // the run began in the start window
  std::string summary_;
  std::vector<std::string> problems_;
  std::string pagePath_;
};

}  // namespace

std::vector<std::string> RunWin32LogChooser(HWND owner) { return RunLogChooser(owner); }

std::unique_ptr<FrontEnd> MakeWin32FrontEnd() { return std::make_unique<Win32FrontEnd>(); }

}  // namespace routelet
