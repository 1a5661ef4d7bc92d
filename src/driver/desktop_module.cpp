#include "driver/desktop_module.h"

#if ROUTELET_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

#include "platform/module.h"
#include "runtime/files.h"

namespace routelet {

namespace {

constexpr std::string_view kModuleName = "routelet-desktop.so";

// Beside the program when it is there (the build folder), else where it is installed:
// ROUTELET_DESKTOP_MODULE_DIR is the path from the installed program's folder to the module's,
// worked out at configure time so that an installed tree may be moved as a whole.
std::string ModulePath(std::string_view programPath) {
  const std::string programDir = ProgramDirectory(programPath);
  const std::string beside = JoinPath(programDir, kModuleName);
  if (PathExists(beside)) return beside;
  return JoinPath(JoinPath(programDir, ROUTELET_DESKTOP_MODULE_DIR), kModuleName);
}

// Every symbol bound now, so that a module that does not fit fails here and not mid-run.
void* OpenModule(const std::string& path, std::string& error) {
#if ROUTELET_LEAK_CHECKED
  // The libraries that come with the module keep memory from their constructors for the life of
  // the process (GLib gives up its first table of quarks on purpose once it outgrows it). Loaded
  // while the program runs, that memory would be reported as the program's leak.
  __lsan::ScopedDisabler notTheProgramsOwn;
#endif
  return platform::OpenModule(path, error);
}

}  // namespace

LoadedDesktop LoadDesktopFrontEnd(int& argc, char**& argv, std::string_view programPath) {
  // Never closed: the front end's code lives in it.
  std::string error;
  void* module = OpenModule(ModulePath(programPath), error);
  if (module == nullptr) return {nullptr, error};
  auto* make = reinterpret_cast<decltype(&routelet_make_desktop_front_end)>(
      platform::FindFunction(module, "routelet_make_desktop_front_end", error));
  if (make == nullptr) return {nullptr, error};
  return {std::unique_ptr<FrontEnd>(make(&argc, &argv)), {}};
}

}  // namespace routelet
