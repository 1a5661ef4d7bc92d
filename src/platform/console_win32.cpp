#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include "platform/win32.h"

namespace routelet::platform {
namespace {

// The console behind `stream`, or nullptr when it is a pipe, a file or nothing.
HANDLE ConsoleOf(std::FILE* stream) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return ConsoleOf(stream) != nullptr; }

bool WriteText(std::FILE* stream, std::string_view text) {
  const HANDLE console = ConsoleOf(stream);
  if (console == nullptr) return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  std::fflush(stream);  // what went through the stream's buffer shows first
  const std::wstring wide = Wide(text);
  DWORD written = 0;
  return WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
}

void UseBinaryMode(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

bool AttachParentConsole() {
  // Pipes and files get the bytes the program writes, as on Linux: no CR added before each LF.
  // (A console is written through WriteConsoleW, which the streams' mode does not touch.)
  UseBinaryMode(stdout);
  UseBinaryMode(stderr);
  const HANDLE given = GetStdHandle(STD_ERROR_HANDLE);
  const bool redirected = given != nullptr && given != INVALID_HANDLE_VALUE;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return redirected;
  // Streams that already lead somewhere (redirected to a file or pipe) keep their target.
  const auto reopen = [](DWORD which, const char* device, const char* mode, std::FILE* stream) {
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) (void)std::freopen(device, mode, stream);
  };
  reopen(STD_INPUT_HANDLE, "CONIN$", "r", stdin);
  reopen(STD_OUTPUT_HANDLE, "CONOUT$", "w", stdout);
  reopen(STD_ERROR_HANDLE, "CONOUT$", "w", stderr);
  // The progress line is redrawn with "\r" and ESC [ K, which the console obeys once asked to.
  for (std::FILE* stream : {stdout, stderr}) {
    DWORD mode = 0;
    if (const HANDLE console = ConsoleOf(stream); console != nullptr && GetConsoleMode(console, &mode)) {
      SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
  }
  UseBinaryMode(stdout);
  UseBinaryMode(stderr);
  return true;
}

}  // namespace routelet::platform
