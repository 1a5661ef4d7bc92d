#include "platform/console.h"

#include <unistd.h>

namespace routelet::platform {

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

bool WriteText(std::FILE* stream, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

void UseBinaryMode(std::FILE*) {}

bool AttachParentConsole() { return true; }

}  // namespace routelet::platform
