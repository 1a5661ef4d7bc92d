#include "runtime/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "runtime/letter_case.h"

namespace routelet {
namespace {

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() &&
         EqualsIgnoringCase(name.substr(name.size() - suffix.size()), suffix);
}

bool HasExtension(std::string_view name, const std::vector<std::string_view>& extensions) {
  return std::any_of(extensions.begin(), extensions.end(),
                     [&](std::string_view ext) { return EndsWithIgnoringCase(name, ext); });
}

// Letter case ignored, ties by the exact text, so that the order is the same on every machine.
bool NameOrder(const std::string& a, const std::string& b) {
  if (LessIgnoringCase(a, b)) return true;
  if (LessIgnoringCase(b, a)) return false;
  return a < b;
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string DirectoryOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string joined(directory);
  if (!joined.empty() && joined.back() != '/') joined.push_back('/');
  joined += name;
  return joined;
}

std::vector<std::string> ListFilesWithExtensions(const std::string& directory,
                                                 const std::vector<std::string_view>& extensions) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), ::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (!HasExtension(name, extensions)) continue;
    struct stat info {};
    if (::stat(JoinPath(directory, name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    names.emplace_back(name);
  }
  std::sort(names.begin(), names.end(), NameOrder);
  return names;
}

std::vector<std::string> ListFilesWithExtensionsBelow(const std::string& directory,
                                                      const std::vector<std::string_view>& extensions) {
  namespace fs = std::filesystem;
  std::vector<std::string> below;
  std::error_code error;
  fs::recursive_directory_iterator it(directory, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    if (!HasExtension(it->path().filename().string(), extensions) || !it->is_regular_file(ignored)) continue;
    below.push_back(it->path().string());
  }
  std::sort(below.begin(), below.end(), NameOrder);
  return below;
}

std::string RelativePath(const std::string& path, const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  // Normal forms without a trailing "/", which would count as one more step.
  const fs::path from = (fs::absolute(folder, ignored) / "").lexically_normal().parent_path();
  const fs::path to = fs::absolute(path, ignored).lexically_normal();
  const fs::path relative = to.lexically_relative(from);
  return relative.empty() ? to.string() : relative.string();
}

std::string ProgramDirectory() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return ".";
  path.resize(static_cast<std::size_t>(length));
  return DirectoryOf(path);
}

}  // namespace routelet
