#include "runtime/program_module.h"

#if ROUTELET_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

#include "platform/module.h"
#include "runtime/files.h"

namespace routelet {

void* ProgramModule::Entry() {
  std::call_once(loaded_, &ProgramModule::Load, this);
  return entryAddress_;
}

const std::string& ProgramModule::Error() {
  Entry();
  return error_;
}

// Beside the program when it is there (the build folder), else where it is installed:
// ROUTELET_MODULE_DIR is the path from the installed program's folder to the modules'.
void ProgramModule::Load() {
#if ROUTELET_LEAK_CHECKED
  // The libraries keep memory from their constructors for the life of the process; loaded
  // while the program runs, it would be reported as the program's leak.
  __lsan::ScopedDisabler notTheProgramsOwn;
#endif
  std::string path;
  if (!folder_.empty()) {
    path = JoinPath(folder_, fileName_);
  } else {
    const std::string programDir = ProgramDirectory();
    path = JoinPath(programDir, fileName_);
    if (!PathExists(path)) path = JoinPath(JoinPath(programDir, ROUTELET_MODULE_DIR), fileName_);
  }
  void* module = platform::OpenModule(path, error_);
  if (module == nullptr) return;
  entryAddress_ = platform::FindFunction(module, entry_, error_);
}

}  // namespace routelet
