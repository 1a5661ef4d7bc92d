#include "platform/module.h"

#include "platform/files.h"
#include "platform/win32.h"

namespace routelet::platform {

void* OpenModule(const std::string& path, std::string& error) {
  const HMODULE module = LoadLibraryW(Wide(path).c_str());
  if (module == nullptr) error = ErrorText(static_cast<SystemError>(GetLastError()));
  return reinterpret_cast<void*>(module);
}

void* FindFunction(void* module, const char* name, std::string& error) {
  const FARPROC function = GetProcAddress(static_cast<HMODULE>(module), name);
  if (function == nullptr) error = ErrorText(static_cast<SystemError>(GetLastError()));
  return reinterpret_cast<void*>(function);
}

}  // namespace routelet::platform
