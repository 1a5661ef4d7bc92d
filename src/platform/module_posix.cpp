#include "platform/module.h"

#include <dlfcn.h>

namespace routelet::platform {
namespace {

std::string LastLoadError() {
  const char* error = ::dlerror();
  return error != nullptr ? error : "unknown error";
}

}  // namespace

void* OpenModule(const std::string& path, std::string& error) {
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) error = LastLoadError();
  return module;
}

void* FindFunction(void* module, const char* name, std::string& error) {
  void* function = ::dlsym(module, name);
  if (function == nullptr) error = LastLoadError();
  return function;
}

}  // namespace routelet::platform
