#pragma once
// Code loaded at run time: a module (a shared object or DLL) opened by path, and a function
// found in it by name.
#include <string>

namespace routelet::platform {

// The file name ending of a module on this system.
#ifdef _WIN32
inline constexpr const char* kModuleSuffix = ".dll";
#else
inline constexpr const char* kModuleSuffix = ".so";
#endif

// Opens the module with every symbol bound now; nullptr with `error` set to the loader's text.
// A module stays loaded for the rest of the process.
void* OpenModule(const std::string& path, std::string& error);

// The address of the exported function `name`; nullptr with `error` set.
void* FindFunction(void* module, const char* name, std::string& error);

}  // namespace routelet::platform
