#include "driver/gtk/log_name_rules.h"

#include "runtime/files.h"
#include "runtime/letter_case.h"

namespace routelet {

bool HasExtension(std::string_view name, std::string_view extension) {
  return name.size() >= extension.size() &&
         EqualsIgnoringCase(name.substr(name.size() - extension.size()), extension);
}

bool LacksExtension(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return !name.empty() && name.find('.') == std::string_view::npos;
}

namespace {

bool IsExistingNonFolder(const std::string& path) { return PathExists(path) && !IsDirectory(path); }

}  // namespace

std::string ResolveChosenLog(const std::string& path) {
  if (path.empty()) return {};
  if (IsExistingNonFolder(path)) return path;
  if (LacksExtension(path)) {
    std::string completed = path + std::string(kLogExtension);
    if (IsExistingNonFolder(completed)) return completed;
  }
  return {};
}

}  // namespace routelet
