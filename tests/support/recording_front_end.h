#pragma once
// A front end for tests: records every call, answers the chooser with a preset path.
#include <string>
#include <string_view>
#include <vector>

#include "driver/front_end.h"

namespace routelet::testing {

class RecordingFrontEnd : public FrontEnd {
 public:
  struct Message {
    std::string text;
    std::string title;  // as shown: kAppTitle when none was given
  };

  void ShowProgressWindow() override { events.push_back("show"); }
  void CloseProgressWindow() override { events.push_back("close"); }
  void SetProgress(std::string_view text) override {
    progress.emplace_back(text);
    events.push_back("progress:" + std::string(text));
  }
  void ShowMessage(std::string_view text, std::string_view title) override {
    messages.push_back({std::string(text), std::string(title.empty() ? kAppTitle : title)});
    events.push_back("message:" + messages.back().title + ":" + messages.back().text);
  }
  std::string ChooseLogFile() override {
    events.push_back("choose");
    return chooserAnswer;
  }

  std::string chooserAnswer;
  std::vector<std::string> progress;
  std::vector<Message> messages;
  std::vector<std::string> events;  // every call in order
};

}  // namespace routelet::testing
