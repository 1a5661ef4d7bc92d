#pragma once
// The desktop front end is a module of its own (routelet-desktop.so), loaded only when a run
// wants a window: GTK and the ~70 libraries it brings are then never mapped by terminal runs.
#include <memory>
#include <string>
#include <string_view>

#include "driver/front_end.h"

extern "C" {
// The one function the module exports: the desktop front end, which the caller then owns and
// deletes, or nullptr when no display can be opened. GTK takes its own options out of the
// arguments, as MakeDesktopFrontEnd does.
routelet::FrontEnd* routelet_make_desktop_front_end(int* argc, char*** argv);
}

namespace routelet {

struct LoadedDesktop {
  std::unique_ptr<FrontEnd> Desktop;  // nullptr when there is none
  // Why the module could not be used (the loader's own text); empty when it loaded, and then
  // no front end means that no display could be opened.
  std::string LoadError;
};

// Loads the module, beside the program in the build folder or in its installed folder found
// from the program's own (`programPath`: the name it was started by, see ProgramDirectory), and
// makes the desktop front end. The module stays loaded for the rest of the process.
LoadedDesktop LoadDesktopFrontEnd(int& argc, char**& argv, std::string_view programPath);

}  // namespace routelet
