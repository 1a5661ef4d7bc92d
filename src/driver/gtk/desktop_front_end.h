#pragma once
// The desktop front end: a progress window, modal message boxes and an open-file dialog,
// drawn with GTK 3, and the written page opened in the desktop's browser.
#include <memory>

#include "driver/front_end.h"

namespace routelet {

// Opens the display and returns the desktop front end, or nullptr when no display can be
// opened (the caller then falls back to the terminal). GTK takes its own options (such as
// --display) out of `argc` and `argv`.
std::unique_ptr<FrontEnd> MakeDesktopFrontEnd(int& argc, char**& argv);

}  // namespace routelet
