#pragma once
// A front end that shows nothing and chooses no log: for runs nobody watches (benchmarks,
// fuzzing).
#include <string>
#include <string_view>

#include "driver/front_end.h"

namespace routelet {

class SilentFrontEnd : public FrontEnd {
 public:
  void ShowProgressWindow() override {}
  void CloseProgressWindow() override {}
  void SetProgress(std::string_view) override {}
  void ShowMessage(std::string_view, std::string_view) override {}
  std::string ChooseLogFile() override { return {}; }
};

}  // namespace routelet
