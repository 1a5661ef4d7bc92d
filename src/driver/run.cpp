#include "driver/run.h"

#include "driver/run_state.h"
#include "output/build_page.h"
#include "output/write_output.h"
#include "template/load_template.h"
#include "track/read_gps_log.h"

namespace routelet {

int ExitStatusFor(RunResult result) { return result == RunResult::kFailed ? 1 : 0; }

RunResult RunConversion(const std::string& logArgument, const std::string& templatePath, FrontEnd& ui) {
  RunState state;
  if (!LoadTemplateFrom(templatePath, ui, state.Sections)) {
    ui.ShowMessage("template.datが正しく読みこめません", kErrorTitle);
    return RunResult::kFailed;
  }

  state.LogPath = logArgument;
  if (state.LogPath.empty()) state.LogPath = ui.ChooseLogFile();
  if (state.LogPath.empty()) return RunResult::kCancelled;

  ui.ShowProgressWindow();
  ui.SetProgress("GPSデータ解析中");
  RunResult result = RunResult::kFailed;
  if (!ReadGpsLog(state.LogPath, ui, state.LogLines)) {
    ui.ShowMessage(state.LogPath + "が正しく読みこめません", kErrorTitle);
  } else {
    state.Track.ResetSpan();
    std::string page = BuildPage(state, ui);
    if (page.empty()) {
      result = RunResult::kEmptyPage;
    } else if (WriteOutputFile(state.LogPath, std::move(page), ui)) {
      result = RunResult::kPageWritten;
    }
  }
  ui.CloseProgressWindow();
  return result;
}

}  // namespace routelet
