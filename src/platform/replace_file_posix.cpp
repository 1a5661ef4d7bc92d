#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <functional>
#include <iterator>
#include <random>

namespace routelet::platform {
namespace {

// The folder part of a path: everything before its last "/", or "." when there is none.
std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

// The signals whose default action ends the process: none of them may leave a temporary page
// behind.
constexpr int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGPIPE, SIGALRM,
                                  SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ};

// The temporary file that exists under a name while it is written, for the signal handler to
// remove. A handler reaches nothing but static storage; both are changed only while the ending
// signals are blocked.
char gNamedTemporary[PATH_MAX];
volatile std::sig_atomic_t gHasNamedTemporary = 0;

extern "C" void RemoveTemporaryAndEnd(int number) {
  if (gHasNamedTemporary != 0) ::unlink(gNamedTemporary);
  // SA_RESETHAND has put back the default action: once this returns, the signal raised again
  // ends the process as it would have without the handler.
  ::raise(number);
}

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int number : kEndingSignals) sigaddset(&set, number);
  return set;
}

// Holds the ending signals back for its scope; one that came meanwhile acts when it ends.
class EndingSignalsBlocked {
 public:
  EndingSignalsBlocked() {
    const sigset_t set = EndingSignals();
    ::sigprocmask(SIG_BLOCK, &set, &previous_);
  }
  ~EndingSignalsBlocked() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  EndingSignalsBlocked(const EndingSignalsBlocked&) = delete;
  EndingSignalsBlocked& operator=(const EndingSignalsBlocked&) = delete;

 private:
  sigset_t previous_;
};

// For its scope, an ending signal removes the named temporary file (Name) before the process
// ends. Only signals left at their default action are taken: those the process ignores (a run
// under nohup, a file size limit) stay ignored, and one handled elsewhere stays so.
class TemporaryRemovedOnSignals {
 public:
  TemporaryRemovedOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndEnd;
    action.sa_mask = EndingSignals();
    action.sa_flags = SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
      ::sigaction(kEndingSignals[i], nullptr, &previous_[i]);
      if (previous_[i].sa_handler == SIG_DFL) ::sigaction(kEndingSignals[i], &action, nullptr);
    }
  }
  ~TemporaryRemovedOnSignals() {
    const EndingSignalsBlocked blocked;
    gHasNamedTemporary = 0;
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) ::sigaction(kEndingSignals[i], &previous_[i], nullptr);
  }
  TemporaryRemovedOnSignals(const TemporaryRemovedOnSignals&) = delete;
  TemporaryRemovedOnSignals& operator=(const TemporaryRemovedOnSignals&) = delete;

  // Call with the ending signals blocked, from the file's creation to here.
  static void Name(const std::string& path) {
    std::memcpy(gNamedTemporary, path.c_str(), path.size() + 1);
    gHasNamedTemporary = 1;
  }
  // Call with the ending signals blocked, with its removal or renaming.
  static void Forget() { gHasNamedTemporary = 0; }

 private:
  struct sigaction previous_[std::size(kEndingSignals)];
};

// New files get the usual permissions: read and write for all, less the process's umask, and
// less what the log at `logPath` does not grant its group and others: the page shows the same
// positions as the log. A log that is not a file (a pipe) says nothing about that.
mode_t NewFileMode(std::string_view logPath) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  mode_t mode = 0666 & ~mask;
  struct stat log {};
  if (::stat(std::string(logPath).c_str(), &log) == 0 && S_ISREG(log.st_mode)) mode &= S_IRWXU | (log.st_mode & 077);
  return mode;
}

// What the new page takes over from the page it replaces, if there is one.
struct PageAttributes {
  mode_t Mode = 0;
  std::optional<struct stat> Replaced;
};

// The new page gets the replaced page's owner and group where the process may give them (root,
// or a group the user is in) and its permissions; a new page those of any new file.
bool SetAttributes(int fd, const PageAttributes& attributes) {
  if (const auto& old = attributes.Replaced; old && (old->st_uid != ::geteuid() || old->st_gid != ::getegid())) {
    if (::fchown(fd, old->st_uid, old->st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) != 0) {
      // Not permitted: the page becomes the user's own, as a page the user writes anew would.
    }
  }
  return ::fchmod(fd, attributes.Mode) == 0;
}

// Calls `tryName` with "FOLDER/.rl" and six random letters until one is not taken. The name is
// short, so that it fits wherever the page's own name (up to 255 bytes) does. False with errno
// when `tryName` fails for another reason.
template <typename TryName>
bool WithFreshName(const std::string& folder, std::string& name, TryName tryName) {
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  // The names need not be unpredictable: a taken name, or a symlink planted under it, fails with
  // EEXIST and the next name is tried.
  std::minstd_rand random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder;
    if (name.back() != '/') name.push_back('/');
    name += ".rl";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % kLetters.size()];
    if (tryName(name)) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

// Gives the unnamed file `fd` the name `path`, through /proc, or by the descriptor itself where
// /proc is not mounted (which needs the right to search any folder).
bool LinkUnnamed(int fd, const std::string& path) {
  const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  return errno == ENOENT && ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;
}

// Gives the unnamed file `fd` a temporary name in `folder` and renames it over `path`.
bool LinkAndRename(int fd, const std::string& folder, const std::string& path) {
  std::string temporary;
  if (!WithFreshName(folder, temporary, [&](const std::string& name) { return LinkUnnamed(fd, name); })) return false;
  if (::rename(temporary.c_str(), path.c_str()) == 0) return true;
  const int error = errno;
  ::unlink(temporary.c_str());
  errno = error;
  return false;
}

// Writes the page's bytes to a file; false with errno set when it fails.
using WriteDescriptor = std::function<bool(int fd)>;

// How a write ended: done, failed (errno says why), or the unnamed way is not open to it.
enum class Outcome { kWritten, kFailed, kNotPossible };

// Writes the page into a file without a name, which an interrupted run cannot leave behind, and
// names it only when it is whole: straight under the page's name when there is no page yet,
// else under a temporary name renamed over the page at once. The ending signals wait for those
// two steps, so the temporary name never outlives the run.
Outcome WriteUnnamed(const std::string& path, const WriteDescriptor& writeContent, const PageAttributes& attributes) {
  const std::string folder = FolderOf(path);
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? Outcome::kNotPossible : Outcome::kFailed;
  Outcome outcome = Outcome::kFailed;
  if (SetAttributes(fd, attributes) && writeContent(fd)) {
    const EndingSignalsBlocked blocked;
    if (LinkUnnamed(fd, path)) {
      outcome = Outcome::kWritten;
    } else if (errno == EEXIST) {
      outcome = LinkAndRename(fd, folder, path) ? Outcome::kWritten : Outcome::kFailed;
    } else if (errno == ENOENT || errno == EPERM) {
      outcome = Outcome::kNotPossible;  // no /proc and no right to link by the descriptor, or no links
    }
  }
  const int error = errno;
  if (::close(fd) != 0 && outcome == Outcome::kWritten) return Outcome::kFailed;
  errno = error;
  return outcome;
}

// Where a file cannot be made without a name: writes a temporary file beside the page and renames
// it over the page. An ending signal meanwhile removes the temporary file.
bool WriteNamed(const std::string& path, const WriteDescriptor& writeContent, const PageAttributes& attributes) {
  const TemporaryRemovedOnSignals removedOnSignals;
  std::string temporary;
  int fd = -1;
  {
    const EndingSignalsBlocked blocked;
    const auto create = [&](const std::string& name) {
      fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      return fd >= 0;
    };
    if (!WithFreshName(FolderOf(path), temporary, create)) return false;
    TemporaryRemovedOnSignals::Name(temporary);
  }
  // No fsync: the rename already keeps an interrupted run from leaving half a page, and waiting
  // for the disk would double the time of a large conversion. Errors of delayed writes still
  // show at close.
  const bool written = SetAttributes(fd, attributes) && writeContent(fd);
  const int writeError = errno;
  const bool closed = ::close(fd) == 0;
  const int closeError = errno;
  const EndingSignalsBlocked blocked;
  const bool renamed = written && closed && ::rename(temporary.c_str(), path.c_str()) == 0;
  const int error = !written ? writeError : !closed ? closeError : errno;
  if (!renamed) ::unlink(temporary.c_str());
  TemporaryRemovedOnSignals::Forget();
  errno = error;
  return renamed;
}

}  // namespace

std::optional<SystemError> ReplaceFileWith(const std::string& target, const std::string& permissionsFrom,
                                       const WriteContent& writeContent) {
  PageAttributes attributes{NewFileMode(permissionsFrom), std::nullopt};
  if (struct stat existing {}; ::stat(target.c_str(), &existing) == 0) attributes = {existing.st_mode & 0777, existing};
  const WriteDescriptor writeDescriptor = [&](int fd) {
    SystemError error = 0;
    if (writeContent(fd, error)) return true;
    errno = error;
    return false;
  };
  const Outcome outcome = WriteUnnamed(target, writeDescriptor, attributes);
  const bool written = outcome == Outcome::kWritten ||
                       (outcome == Outcome::kNotPossible && WriteNamed(target, writeDescriptor, attributes));
  if (written) return std::nullopt;
  return errno;
}

}  // namespace routelet::platform
