#pragma once
// Why an input file gave nothing, in the terms the user is told. The step that reads the file
// returns this; the driver turns it into the message.
#include <optional>
#include <string>

namespace routelet {

struct FileError {
  enum class Problem {
    kNotFound,    // no entry of that name
    kCannotOpen,  // there, or not known to be absent, but not readable (a folder, no permission)
    kNotAFile,    // a device or socket: reading one (/dev/zero) might never end
    kNoWriter,    // a named FIFO that nothing opened to write into while it was waited for
  };
  Problem Kind = Problem::kNotFound;
  std::string Reason;  // the system's words for kCannotOpen
};

// What reading an input file gave: its content, or why there is none.
template <typename T>
struct Loaded {
  T Value{};
  std::optional<FileError> Error;  // set when the file could not be read; Value is then empty

  bool ok() const { return !Error.has_value(); }
};

}  // namespace routelet
