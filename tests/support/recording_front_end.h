#pragma once
// Test doubles of the user interface: a front end that records every call and answers the
// chooser with a preset path, and a progress that records what the steps tell.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/front_end.h"
#include "runtime/progress.h"

namespace routelet::testing {

class RecordingFrontEnd : public FrontEnd {
 public:
  void ShowProgressWindow() override { events.push_back("show"); }
  void CloseProgressWindow() override { events.push_back("close"); }
  void SetProgress(std::string_view text) override { events.push_back("progress:" + std::string(text)); }
  // "message:TITLE:TEXT", the title as shown: kAppTitle when none was given.
  void ShowMessage(std::string_view text, std::string_view title) override {
    events.push_back("message:" + std::string(title.empty() ? kAppTitle : title) + ":" + std::string(text));
  }
  void ShowSummary(std::string_view text) override { events.push_back("summary:" + std::string(text)); }
  std::optional<std::string> ChooseLogFile() override {
    events.push_back("choose");
    return chooserAnswer;
  }
  std::optional<std::string> OpenPage(const std::string& pagePath) override {
    events.push_back("open:" + pagePath);
    return openAnswer;
  }

  std::optional<std::string> chooserAnswer = "";
  std::optional<std::string> openAnswer;  // why the page cannot be opened; nothing: it opens
  std::vector<std::string> events;  // every call in order
};

// Every report as one short text: "lines 100", "record 0/250", "photo a.jpg".
class RecordingProgress : public Progress {
 public:
  void LogLinesRead(std::int64_t lines) override { events.push_back("lines " + std::to_string(lines)); }
  void RenderingRecord(std::size_t index, std::size_t total) override {
    events.push_back("record " + std::to_string(index) + "/" + std::to_string(total));
  }
  void ReadingPhoto(std::string_view name) override { events.push_back("photo " + std::string(name)); }

  std::vector<std::string> events;
};

}  // namespace routelet::testing
