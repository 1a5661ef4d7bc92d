#include "platform/process.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <csignal>
#include <cstdlib>
#include <system_error>
#include <thread>

namespace routelet::platform {

std::string ExecutablePath() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  return path;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::optional<std::string> EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

namespace {

// $`variable` when it is absolute (a relative one is not to be used, by the convention that
// defines these), else `fallback` in the home folder.
std::string XdgFolder(const char* variable, const char* fallback) {
  const char* config = std::getenv(variable);
  if (config != nullptr && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  std::string folder(home);
  if (folder.back() != '/') folder.push_back('/');
  return folder + fallback;
}

}  // namespace

std::string UserConfigHome() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string UserCacheHome() { return XdgFolder("XDG_CACHE_HOME", ".cache"); }

unsigned ProcessorsAvailable() {
  cpu_set_t set;
  CPU_ZERO(&set);
  int count = 0;
  if (::sched_getaffinity(0, sizeof set, &set) == 0) count = CPU_COUNT(&set);
  if (count <= 0) count = static_cast<int>(std::thread::hardware_concurrency());
  return count > 0 ? static_cast<unsigned>(count) : 1;
}

bool StartDetachedThread(std::function<void()> body) {
  sigset_t held;
  sigset_t previous;
  ::sigfillset(&held);
  for (const int own : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT, SIGPIPE, SIGXFSZ}) ::sigdelset(&held, own);
  ::pthread_sigmask(SIG_BLOCK, &held, &previous);
  bool started = true;
  try {
    std::thread(std::move(body)).detach();
  } catch (const std::system_error&) {
    started = false;
  }
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return started;
}

void ReportWritesPastFileSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
  constexpr int kLargestFromHeap = 32 * 1024 * 1024;  // glibc's ceiling for the mapping threshold
  mallopt(M_MMAP_THRESHOLD, kLargestFromHeap);
  mallopt(M_TRIM_THRESHOLD, 4 * kLargestFromHeap);
#endif
}

}  // namespace routelet::platform
