// Preloaded into the program (LD_PRELOAD) by write_page_test.sh: opening an unnamed file
// (O_TMPFILE) fails as it does on a file system without them, so the program takes its other way.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

namespace {

using OpenFunction = int (*)(const char*, int, ...);

int OpenUnlessUnnamed(const char* name, const char* path, int flags, va_list args) {
  if ((flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  const mode_t mode = (flags & O_CREAT) != 0 ? va_arg(args, mode_t) : 0;
  return reinterpret_cast<OpenFunction>(dlsym(RTLD_NEXT, name))(path, flags, mode);
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = OpenUnlessUnnamed("open", path, flags, args);
  va_end(args);
  return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = OpenUnlessUnnamed("open64", path, flags, args);
  va_end(args);
  return fd;
}
