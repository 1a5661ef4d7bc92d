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
#include "driver/start_run.h"
#include "platform/console.h"
#include "platform/process.h"
#include "platform/translations.h"
#include "runtime/escape.h"

#if ROUTELET_HAVE_DESKTOP
#include "driver/desktop_module.h"
#endif
#if ROUTELET_WIN32_DESKTOP
#include "driver/win32/win32_front_end.h"
#endif

#ifndef ROUTELET_VERSION
#define ROUTELET_VERSION "unknown"
#endif

namespace {

using routelet::Options;

// Messages go through the console seam: a Windows console shows them as UTF-16 whatever its
// code page; pipes and files get the UTF-8 bytes.
void Tell(std::FILE* stream, const std::string& text) { routelet::platform::WriteText(stream, text); }

// The desktop front end when it was asked for, or by default when its module loads and a display
// can be opened; the terminal front end otherwise. Only a run that asked for the desktop is told
// why it did not get it.
// On Windows the desktop front end is part of the program: it is taken by default only when the
// program was not started from a console (nor with its streams redirected), so that a run from a
// console or a script reports there.
std::unique_ptr<routelet::FrontEnd> ChooseFrontEnd(const Options& options, bool hasConsole, int& argc, char**& argv) {
  const Options::FrontEndChoice choice = options.FrontEnd;
#if ROUTELET_WIN32_DESKTOP
  (void)argc;
  (void)argv;
  if (choice == Options::FrontEndChoice::kDesktop || (choice == Options::FrontEndChoice::kDefault && !hasConsole)) {
    return routelet::MakeWin32FrontEnd();
  }
#elif ROUTELET_HAVE_DESKTOP
  (void)hasConsole;
  if (choice != Options::FrontEndChoice::kTerminal) {
    routelet::LoadedDesktop loaded = routelet::LoadDesktopFrontEnd(argc, argv, options.ProgramPath);
    if (loaded.Desktop) return std::move(loaded.Desktop);
    if (choice == Options::FrontEndChoice::kDesktop) {
      if (loaded.LoadError.empty()) {
        Tell(stderr, routelet::platform::TranslatedText("routelet: no display could be opened; reporting on the terminal\n"));
      } else {
        Tell(stderr, routelet::platform::FormattedText(
                         "routelet: the desktop front end could not be loaded (%s); reporting on the terminal\n",
                         {routelet::TerminalEscape(loaded.LoadError)}));
      }
    }
  }
#else
  (void)hasConsole;
  (void)argc;
  (void)argv;
  if (choice == Options::FrontEndChoice::kDesktop) {
    Tell(stderr, routelet::platform::TranslatedText("routelet: built without the desktop front end; reporting on the terminal\n"));
  }
#endif
  return std::make_unique<routelet::ConsoleFrontEnd>(routelet::ConsoleFrontEnd::ForStandardStreams());
}

// Prints the help or version text. A text that did not reach its reader (a full disk, a closed
// pipe) is a failure, as for any other output: told on stderr, exit status 1.
int PrintToStdout(const std::string& text) {
  errno = 0;
  if (routelet::platform::WriteText(stdout, text) && std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  const int error = errno;
  Tell(stderr, routelet::CannotWriteOutputMessage(std::strerror(error)) + "\n");
  return 1;
}

int Run(int argc, char** argv, bool hasConsole) {
  // UTF-8 on every system: Windows reads its UTF-16 command line, never the ANSI argv.
  const std::vector<std::string> given = routelet::platform::ProgramArguments(argc, argv);
  const std::vector<std::string_view> arguments(given.begin(), given.end());
  Options options = routelet::ParseCommandLine(arguments);
  if (argc > 0) options.ProgramPath = argv[0];
  if (!options.UnknownOption.empty()) {
    Tell(stderr, routelet::UnknownOptionText(options.UnknownOption) + routelet::UsageText());
    return 2;
  }
  options.ConfigHome = routelet::platform::UserConfigHome();
  options.CacheHome = routelet::platform::UserCacheHome();
  options.EnglishPage = routelet::platform::UserLanguage() == routelet::platform::TextLanguage::kEnglish;
  if (!options.Unusable.empty()) {
    Tell(stderr, routelet::UnusableOptionMessage(options.Unusable));
    return 2;
  }
  if (options.Help) return PrintToStdout(routelet::HelpText());
  if (options.Version) return PrintToStdout("routelet " ROUTELET_VERSION "\n");
  if (options.CheckTemplate) return routelet::CheckTemplateFile(options, stdout, stderr);

  // The start window is a desktop's: asked for, it makes the desktop front end wanted.
  if (options.StartWindow && options.FrontEnd == Options::FrontEndChoice::kDefault) {
    options.FrontEnd = Options::FrontEndChoice::kDesktop;
  }
  std::unique_ptr<routelet::FrontEnd> ui = ChooseFrontEnd(options, hasConsole, argc, argv);
  const routelet::RunResult result =
      options.StartWindow ? routelet::RunFromStartWindow(options, *ui) : routelet::RunConversion(options, *ui);
  // Without a log and without a terminal to ask on, say how the program is meant to be called.
  if (result == routelet::RunResult::kNoOneToAsk) Tell(stderr, routelet::UsageText());
  return routelet::ExitStatusFor(result);
}

}  // namespace

int main(int argc, char** argv) {
  // Past a file size limit, a write should fail and be reported, not end the process.
  routelet::platform::ReportWritesPastFileSizeLimit();
  // The Windows program is a desktop one: started from a console, it reports there all the same.
  const bool hasConsole = routelet::platform::AttachParentConsole();
  try {
    return Run(argc, argv, hasConsole);
  } catch (const std::bad_alloc&) {
    // The run tells its own; this is for running out before or after it (a front end starting).
    Tell(stderr, "routelet: " + routelet::OutOfMemoryMessage() + "\n");
    return 1;
  }
}
