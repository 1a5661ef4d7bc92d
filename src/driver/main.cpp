// routelet: converts a GPS log into a web page through the template beside the program.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "driver/command_line.h"
#include "driver/console_front_end.h"
#include "driver/messages.h"
#include "driver/run.h"

#if ROUTELET_HAVE_DESKTOP
#include "driver/gtk/desktop_front_end.h"
#endif

#ifndef ROUTELET_VERSION
#define ROUTELET_VERSION "unknown"
#endif

namespace {

using routelet::Options;

// The desktop front end when it was asked for, or by default when a display can be opened;
// the terminal front end otherwise.
std::unique_ptr<routelet::FrontEnd> ChooseFrontEnd(Options::FrontEndChoice choice, int& argc, char**& argv) {
#if ROUTELET_HAVE_DESKTOP
  if (choice != Options::FrontEndChoice::kTerminal) {
    if (auto desktop = routelet::MakeDesktopFrontEnd(argc, argv)) return desktop;
    if (choice == Options::FrontEndChoice::kDesktop) {
      std::fputs("routelet: no display could be opened; reporting on the terminal\n", stderr);
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

}  // namespace

int main(int argc, char** argv) {
  // Past a file size limit, a write should fail and be reported, not end the process.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  Options options = routelet::ParseCommandLine(arguments);
  options.ConfigHome = routelet::ConfigHomeFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  if (!options.Unusable.empty()) {
    std::fputs(routelet::UnusableOptionMessage(options.Unusable).c_str(), stderr);
    return 2;
  }
  if (options.Help) {
    std::fputs(routelet::HelpText().c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::puts("routelet " ROUTELET_VERSION);
    return 0;
  }

  std::unique_ptr<routelet::FrontEnd> ui = ChooseFrontEnd(options.FrontEnd, argc, argv);
  const routelet::RunResult result = routelet::RunConversion(options, *ui);
  // Without a log and without a terminal to ask on, say how the program is meant to be called.
  if (result == routelet::RunResult::kNoOneToAsk) std::fputs(routelet::UsageText().c_str(), stderr);
  return routelet::ExitStatusFor(result);
}
