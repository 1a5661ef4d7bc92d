#pragma once
// One conversion from start to end: template, log path, log, track, photos, page, output.
#include <cstdio>

#include "driver/command_line.h"
#include "driver/front_end.h"

namespace routelet {

// How a run ended; the process's exit status follows from it.
enum class RunResult {
  kPageWritten,  // the page was written beside the log
  kEmptyPage,    // the page came out empty, so nothing was written
  kCancelled,    // no log was given and the user chose none
  kNoOneToAsk,   // no log was given and there was no way to ask for one
  kFailed,       // the template, the log or the page failed; the user has been told why
};

// The exit status for a run's result: 1 for a failure or a log nobody could ask for, else 0.
int ExitStatusFor(RunResult result);

// Runs one conversion as `options` say, telling the user through `ui`. Memory that runs out is
// told to the user too, as a failure.
RunResult RunConversion(const Options& options, FrontEnd& ui);

// --check-template: checks the template `options` name (or the one the lookup finds) and writes
// each problem as a line on `out`; a template that cannot be read is told on `err`. Exit status
// 1 when the template has a problem or cannot be read, else 0.
int CheckTemplateFile(const Options& options, std::FILE* out, std::FILE* err);

}  // namespace routelet
