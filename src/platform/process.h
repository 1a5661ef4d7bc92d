#pragma once
// The running process: its own program file, its arguments and environment as UTF-8, how many
// processors it may use, where the user's own files go, and what it does about a file size limit.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace routelet::platform {

// The full path of the running program, links resolved; empty when the system does not tell
// (POSIX without /proc: the caller then looks for argv[0] on PATH).
std::string ExecutablePath();

// The program's arguments after its name, as UTF-8. POSIX: argv as given. Windows: the UTF-16
// command line (GetCommandLineW), never the ANSI argv, split by the C runtime's rules.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// An environment variable's value as UTF-8; nothing when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

// The folder that holds the user's settings of every program, in which Routelet's own folder
// (with the template the user made) is looked for: $XDG_CONFIG_HOME when it is absolute, else
// ~/.config, on POSIX; %APPDATA% on Windows (its Routelet folder matches "routelet", as
// Windows names ignore letter case). Empty when the environment does not tell.
std::string UserConfigHome();

// The folder for the user's caches (what may be deleted and made again): $XDG_CACHE_HOME when it
// is absolute, else ~/.cache, on POSIX; %LOCALAPPDATA% on Windows. Empty when the environment
// does not tell.
std::string UserCacheHome();

// Processors this process may run on (its affinity), at least 1.
unsigned ProcessorsAvailable();

// Runs `body` on a thread of its own that nobody joins. On POSIX the thread holds back the
// signals sent to the whole process, so that they come to threads that may block them for a
// while; faults, and the signals of its own writes, stay its own. False when the system has no
// more threads to give.
bool StartDetachedThread(std::function<void()> body);

// Past a file size limit a write fails and is reported, instead of ending the process (SIGXFSZ
// ignored; Windows has no such signal).
void ReportWritesPastFileSizeLimit();

// Memory freed by this process is kept for its next allocations, up to blocks of 32 MiB, instead
// of being given back to the system at once (glibc's allocator; elsewhere nothing changes). For
// work that allocates and frees buffers of some megabytes one after another: each fresh mapping
// costs a page fault and a zeroed page for every 4 KiB touched.
void KeepFreedMemoryForReuse();

}  // namespace routelet::platform
