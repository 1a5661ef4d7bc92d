#include "platform/process.h"

#include <bit>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "platform/win32.h"

#include <shellapi.h>

namespace routelet::platform {

std::string ExecutablePath() {
  // Long paths (\\?\...) may pass MAX_PATH: grow until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> result;
  for (int i = 1; arguments != nullptr && i < count; ++i) result.push_back(Narrow(arguments[i]));
  LocalFree(arguments);
  return result;
}

std::optional<std::string> EnvironmentValue(const char* name) {
  const wchar_t* value = _wgetenv(Wide(name).c_str());
  if (value == nullptr) return std::nullopt;
  return Narrow(value);
}

std::string UserConfigHome() { return EnvironmentValue("APPDATA").value_or(std::string()); }

std::string UserCacheHome() { return EnvironmentValue("LOCALAPPDATA").value_or(std::string()); }

unsigned ProcessorsAvailable() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
    return static_cast<unsigned>(std::popcount(static_cast<std::uint64_t>(process)));
  }
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1;
}

bool StartDetachedThread(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void ReportWritesPastFileSizeLimit() {}

void KeepFreedMemoryForReuse() {}

}  // namespace routelet::platform
