#include "driver/desktop_module.h"

#include <dlfcn.h>

#if ROUTELET_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

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
void* OpenModule(const std::string& path) {
#if ROUTELET_LEAK_CHECKED
  // The libraries that come with the module keep memory from their constructors for the life of
  // the process (GLib gives up its first table of quarks on purpose once it outgrows it). Loaded
  // while the program runs, that memory would be reported as the program's leak.
  __lsan::ScopedDisabler notTheProgramsOwn;
#endif
  return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

std::string LastLoadError() {
  const char* error = ::dlerror();
  return error != nullptr ? error : "unknown error";
}

}  // namespace

LoadedDesktop LoadDesktopFrontEnd(int& argc, char**& argv, std::string_view programPath) {
  // Never closed: the front end's code lives in it.
  void* module = OpenModule(ModulePath(programPath));
  if (module == nullptr) return {nullptr, LastLoadError()};
  auto* make = reinterpret_cast<decltype(&routelet_make_desktop_front_end)>(
      ::dlsym(module, "routelet_make_desktop_front_end"));
  if (make == nullptr) return {nullptr, LastLoadError()};
  return {std::unique_ptr<FrontEnd>(make(&argc, &argv)), {}};
}

}  // namespace routelet
