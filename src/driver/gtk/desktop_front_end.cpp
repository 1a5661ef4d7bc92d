#include "driver/gtk/desktop_front_end.h"

#include <gtk/gtk.h>

#include <clocale>

#include "driver/gtk/last_box.h"
#include "driver/gtk/log_chooser.h"
#include "driver/gtk/message_box.h"
#include "driver/gtk/page_opener.h"
#include "driver/gtk/progress_window.h"
#include "driver/gtk/start_window.h"

namespace routelet {

namespace {

class DesktopFrontEnd : public FrontEnd {
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
    RunMessageBox(progress_ != nullptr ? progress_->Window() : nullptr, text, title);
  }

  // Silence on success, as a desktop tool keeps; a run of the start window tells it in its
  // last box instead.
  void ShowSummary(std::string_view text) override { last_.Summary = text; }
  void ShowTemplateProblems(const std::vector<std::string>& lines) override { last_.TemplateProblems = lines; }
  void PageWritten(const std::string& pagePath) override { last_.PagePath = pagePath; }
  std::optional<bool> AskStartChoices(StartRequest& request) override {
    started_ = true;
    return RunStartWindow(request);
  }
  void RunEnded() override {
    if (!started_ || last_.PagePath.empty()) return;
    progress_.reset();
    RunLastBox(last_);
  }
  std::optional<std::string> ChooseLogFile() override {
    const std::vector<std::string> chosen = *ChooseLogFiles();
    return chosen.empty() ? std::string() : chosen.front();
  }
  std::optional<std::vector<std::string>> ChooseLogFiles() override {
    FlushProgress();
    return RunLogChooser();
  }

  std::optional<std::string> OpenPage(const std::string& pagePath) override {
    return OpenWithDefaultHandler(pagePath);
  }

 private:
  // Setting progress before the window was shown creates it hidden.
  void EnsureProgressWindow() {
    if (progress_ == nullptr) progress_ = std::make_unique<ProgressWindow>();
  }

  // The window shows the last progress text before the run waits on the user or ends.
  void FlushProgress() {
    if (progress_ != nullptr) progress_->Flush();
  }

  std::unique_ptr<ProgressWindow> progress_;
  bool started_ = false;  // the run began in the start window
  LastWord last_;
};

}  // namespace

std::unique_ptr<FrontEnd> MakeDesktopFrontEnd(int& argc, char**& argv) {
  if (!gtk_init_check(&argc, &argv)) return nullptr;
  // GTK adopts the user's locale; numbers must keep "." as their decimal point whatever it is.
  std::setlocale(LC_NUMERIC, "C");
  return std::make_unique<DesktopFrontEnd>();
}

}  // namespace routelet
