#pragma once
// The Windows desktop front end: a modeless progress window, message boxes and the open-file
// dialog of the system, and the written page opened by the shell.
#include <memory>

#include "driver/front_end.h"

namespace routelet {

std::unique_ptr<FrontEnd> MakeWin32FrontEnd();

}  // namespace routelet
