#include "photos/photo_formats.h"

#include <mutex>

#if ROUTELET_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

#include "platform/module.h"
#include "runtime/files.h"

namespace routelet {
namespace {

constexpr std::string_view kModuleName = "routelet-photo-formats.so";

struct ModuleState {
  std::once_flag Loaded;
  std::string Folder;  // where to look instead of beside the program, when set
  const PhotoFormats* Formats = nullptr;
  std::string Error;
};

ModuleState& State() {
  static ModuleState state;
  return state;
}

// Beside the program when it is there (the build folder), else where it is installed:
// ROUTELET_PHOTO_FORMATS_DIR is the path from the installed program's folder to the module's.
std::string ModulePath(const std::string& folder) {
  if (!folder.empty()) return JoinPath(folder, kModuleName);
  const std::string programDir = ProgramDirectory();
  const std::string beside = JoinPath(programDir, kModuleName);
  if (PathExists(beside)) return beside;
  return JoinPath(JoinPath(programDir, ROUTELET_PHOTO_FORMATS_DIR), kModuleName);
}

void Load(ModuleState& state) {
#if ROUTELET_LEAK_CHECKED
  // The decoders' libraries keep memory from their constructors for the life of the process;
  // loaded while the program runs, it would be reported as the program's leak.
  __lsan::ScopedDisabler notTheProgramsOwn;
#endif
  void* module = platform::OpenModule(ModulePath(state.Folder), state.Error);
  if (module == nullptr) return;
  auto* formats = reinterpret_cast<decltype(&routelet_photo_formats)>(
      platform::FindFunction(module, "routelet_photo_formats", state.Error));
  if (formats != nullptr) state.Formats = formats();
}

}  // namespace

const PhotoFormats* LoadedPhotoFormats() {
  ModuleState& state = State();
  std::call_once(state.Loaded, Load, state);
  return state.Formats;
}

std::string PhotoFormatsLoadError() {
  LoadedPhotoFormats();
  return State().Error;
}

void SetPhotoFormatsFolder(std::string folder) { State().Folder = std::move(folder); }

}  // namespace routelet
