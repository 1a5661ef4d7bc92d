#pragma once
// A run that begins with the start window (routelet --start).
#include "driver/command_line.h"
#include "driver/front_end.h"
#include "driver/run.h"

namespace routelet {

// The options of the run the window asks for: those of `given` (the command line's, and what the
// program found about its surroundings: the configuration and cache folders, the page's
// language), with the logs, photo folders, camera zone and shift, template and --open that the
// window's `choices` give in place of their own.
Options OptionsForStartRun(const Options& given, const StartChoices& choices);

// Opens the start window with the remembered choices and the logs `options` name, keeps the
// choices for the next start, and converts as the window says, the same way as the command
// line would (every option the window does not show still counts: -o, --threads, --zone, --single-file...). The
// window closed is kCancelled; a front end without windows is told why and fails.
RunResult RunFromStartWindow(const Options& options, FrontEnd& ui);

}  // namespace routelet
