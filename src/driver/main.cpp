// routelet: converts a GPS log into a web page through the template beside the program.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "driver/command_line.h"
#include "driver/console_front_end.h"
#include "driver/messages.h"
#include "driver/run.h"
#include "platform/console.h"
#include "platform/process.h"
#include "runtime/escape.h"

#if ROUTELET_HAVE_DESKTOP
#include "driver/desktop_module.h"
#endif

#ifndef ROUTELET_VERSION
#define ROUTELET_VERSION "unknown"
#endif

namespace {

using routelet::Options;

// The desktop front end when it was asked for, or by default when its module loads and a display
// can be opened; the terminal front end otherwise. Only a run that asked for the desktop is told
// why it did not get it.
std::unique_ptr<routelet::FrontEnd> ChooseFrontEnd(const Options& options, int& argc, char**& argv) {
  const Options::FrontEndChoice choice = options.FrontEnd;
#if ROUTELET_HAVE_DESKTOP
  if (choice != Options::FrontEndChoice::kTerminal) {
    routelet::LoadedDesktop loaded = routelet::LoadDesktopFrontEnd(argc, argv, options.ProgramPath);
    if (loaded.Desktop) return std::move(loaded.Desktop);
    if (choice == Options::FrontEndChoice::kDesktop) {
      if (loaded.LoadError.empty()) {
        std::fputs("routelet: no display could be opened; reporting on the terminal\n", stderr);
      } else {
        std::fprintf(stderr, "routelet: the desktop front end could not be loaded (%s); reporting on the terminal\n",
                     routelet::TerminalEscape(loaded.LoadError).c_str());
      }
    }
  }
#else
  (void)argc;
  (void)argv;
  if (choice == Options::FrontEndChoice::kDesktop) {
    std::fputs("routelet: built without the desktop front end; reporting on the terminal\n", stderr);
  }
#endif
  return std::make_unique<routelet::ConsoleFrontEnd>(routelet::ConsoleFrontEnd::ForStandardStreams());
}

// Prints the help or version text. A text that did not reach its reader (a full disk, a closed
// pipe) is a failure, as for any other output: told on stderr, exit status 1.
int PrintToStdout(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  const int error = errno;
  std::fprintf(stderr, "%s\n", routelet::CannotWriteOutputMessage(std::strerror(error)).c_str());
  return 1;
}

int Run(int argc, char** argv) {
  // UTF-8 on every system: Windows reads its UTF-16 command line, never the ANSI argv.
  const std::vector<std::string> given = routelet::platform::ProgramArguments(argc, argv);
  const std::vector<std::string_view> arguments(given.begin(), given.end());
  Options options = routelet::ParseCommandLine(arguments);
  if (argc > 0) options.ProgramPath = argv[0];
  if (!options.UnknownOption.empty()) {
    std::fputs(routelet::UnknownOptionText(options.UnknownOption).c_str(), stderr);
    std::fputs(routelet::UsageText().c_str(), stderr);
    return 2;
  }
  options.ConfigHome = routelet::ConfigHomeFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  if (!options.Unusable.empty()) {
    std::fputs(routelet::UnusableOptionMessage(options.Unusable).c_str(), stderr);
    return 2;
  }
  if (options.Help) return PrintToStdout(routelet::HelpText());
  if (options.Version) return PrintToStdout("routelet " ROUTELET_VERSION "\n");

  std::unique_ptr<routelet::FrontEnd> ui = ChooseFrontEnd(options, argc, argv);
  const routelet::RunResult result = routelet::RunConversion(options, *ui);
  // Without a log and without a terminal to ask on, say how the program is meant to be called.
  if (result == routelet::RunResult::kNoOneToAsk) std::fputs(routelet::UsageText().c_str(), stderr);
  return routelet::ExitStatusFor(result);
}

}  // namespace

int main(int argc, char** argv) {
  // Past a file size limit, a write should fail and be reported, not end the process.
  routelet::platform::ReportWritesPastFileSizeLimit();
  // The Windows program is a desktop one: started from a console, it reports there all the same.
  routelet::platform::AttachParentConsole();
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    // The run tells its own; this is for running out before or after it (a front end starting).
    std::fprintf(stderr, "routelet: %s\n", routelet::OutOfMemoryMessage().c_str());
    return 1;
  }
}
