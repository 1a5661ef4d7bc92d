#pragma once
// One conversion from start to end: template, log path, log, page, output.
#include <string>

#include "driver/front_end.h"

namespace routelet {

// How a run ended; the process's exit status follows from it.
enum class RunResult {
  kPageWritten,  // the page was written beside the log
  kEmptyPage,    // the page came out empty, so nothing was written
  kCancelled,    // no log was given and the user chose none
  kFailed,       // the template, the log or the page failed; the user has been told why
};

// The exit status for a run's result: 1 for a failure, 0 otherwise.
int ExitStatusFor(RunResult result);

// Runs one conversion of the log at `logArgument` (asking the user through `ui` when it is
// empty) with the template at `templatePath`.
RunResult RunConversion(const std::string& logArgument, const std::string& templatePath, FrontEnd& ui);

}  // namespace routelet
