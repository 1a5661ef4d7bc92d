#pragma once
// The standard streams as the user sees them: whether one is a terminal (a console on Windows),
// text written so that it shows right there, and bytes written unchanged.
#include <cstdio>
#include <string_view>

namespace routelet::platform {

// True when `stream` (stdin, stdout or stderr) is a terminal or a console.
bool IsTerminal(std::FILE* stream);

// Writes UTF-8 `text` to `stream`: as it is on POSIX; on Windows to a console as UTF-16
// (WriteConsoleW, whatever the console's code page), to a pipe or file as the UTF-8 bytes.
// False when it could not be written.
bool WriteText(std::FILE* stream, std::string_view text);

// From now on `stream` passes bytes unchanged (Windows would add a CR before each LF of a text
// stream); nothing to do on POSIX. For the page written to stdout.
void UseBinaryMode(std::FILE* stream);

// A program built for the Windows desktop has no console of its own: when started from one, it
// takes its parent's, so that messages still reach the terminal. True when messages have
// somewhere to go: a console, or standard error led to a pipe or file; always on POSIX.
bool AttachParentConsole();

}  // namespace routelet::platform
