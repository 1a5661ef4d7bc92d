#pragma once
// The program's own window classes share one look: the system's dialog face, the arrow cursor and
// the program's icon.
#include <windows.h>

namespace routelet {

// Registers the class `name` with `procedure` unless this process has it already.
void RegisterWindowClassOnce(const wchar_t* name, WNDPROC procedure);

}  // namespace routelet
