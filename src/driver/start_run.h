#pragma once
// A run that begins with the start window (routelet --start).
#include "driver/command_line.h"
#include "driver/front_end.h"
#include "driver/run.h"

namespace routelet {

// Opens the start window with the remembered choices and the logs `options` name, keeps the
// choices for the next start, and converts as the window says, the same way as the command
// line would (the command line's -o, --threads, --split-gap and --max-gap still count). The
// window closed is kCancelled; a front end without windows is told why and fails.
RunResult RunFromStartWindow(const Options& options, FrontEnd& ui);

}  // namespace routelet
