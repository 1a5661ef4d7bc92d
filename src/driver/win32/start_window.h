#pragma once
// The Windows start window (routelet --start) and the box after its run: the same fields and
// buttons as the GTK ones, as plain Win32 controls. Labels carry "&" mnemonics, Tab goes through
// the fields in the order shown, and each field takes its accessible name from its label.
#include <functional>
#include <string>
#include <vector>

#include "driver/front_end.h"
#include "platform/win32.h"

namespace routelet {

// The system's open-file dialog for logs (several), as the front end asks for one: their full
// paths, none on cancel.
std::vector<std::string> RunWin32LogChooser(HWND owner);

// Shows the window filled with `request.Choices` until the user converts with choices that
// `request.ProblemWith` finds nothing wrong with (true, the choices then in `request.Choices`) or
// closes it (false).
bool RunWin32StartWindow(StartRequest& request);

// The box after the run: `text` (the summary and the template's problems), with the buttons Open
// the page, Show in folder (Explorer with the page selected) and Close.
void RunWin32LastBox(const std::string& text, const std::string& pagePath,
                     const std::function<void(const std::string&)>& openPage);

}  // namespace routelet
