#pragma once
// A module built with the program: a shared object holding the code that needs large libraries
// (image codecs, HTTP), loaded on the first call that needs it, so that runs which never need
// them never map those libraries and start as fast as the program did without them. Each module
// exports one function (its entry) that returns its table of functions; the caller, which knows
// the entry's type, calls it.
#include <mutex>
#include <string>

namespace routelet {

class ProgramModule {
 public:
  // `fileName` as built ("routelet-photo-formats.so"); `entry` the function it exports.
  ProgramModule(std::string fileName, const char* entry) : fileName_(std::move(fileName)), entry_(entry) {}
  ProgramModule(const ProgramModule&) = delete;
  ProgramModule& operator=(const ProgramModule&) = delete;

  // Looks in `folder` rather than beside the program (for programs that are not in the build
  // folder, such as the test programs). Only before the first Entry().
  void SetFolder(std::string folder) { folder_ = std::move(folder); }

  // The entry's address, loading the module on the first call (beside the program in the build
  // folder, else in its installed folder) and keeping it for the rest of the process; nullptr
  // when it cannot be loaded, and then Error() says why (the loader's own text).
  void* Entry();
  const std::string& Error();

 private:
  void Load();

  std::once_flag loaded_;
  std::string fileName_;
  const char* entry_;
  std::string folder_;
  void* entryAddress_ = nullptr;
  std::string error_;
};

}  // namespace routelet
