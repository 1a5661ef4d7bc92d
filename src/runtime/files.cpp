#include "runtime/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

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

// The regular files (links followed) that `Iterator` finds from `directory` (the folder alone, or
// with its subfolders) whose name ends with one of `extensions`, as `nameOf` names them, in name
// order. A folder that cannot be read gives nothing and is passed over.
template <typename Iterator, typename NameOf>
std::vector<std::string> ListMatchingFiles(const std::string& directory, const std::vector<std::string_view>& extensions,
                                           NameOf nameOf) {
  std::vector<std::string> found;
  std::error_code error;
  Iterator it(directory, std::filesystem::directory_options::skip_permission_denied, error);
  for (; !error && it != Iterator(); it.increment(error)) {
    std::error_code ignored;
    if (!HasExtension(it->path().filename().string(), extensions) || !it->is_regular_file(ignored)) continue;
    found.push_back(nameOf(it->path()));
  }
  std::sort(found.begin(), found.end(), NameOrder);
  return found;
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

std::optional<FileError> InputFileProblem(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return FileError{FileError::Problem::kNotFound, {}};
    return FileError{FileError::Problem::kCannotOpen, std::strerror(errno)};
  }
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISSOCK(info.st_mode)) {
    return FileError{FileError::Problem::kNotAFile, {}};
  }
  return std::nullopt;
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
  return ListMatchingFiles<std::filesystem::directory_iterator>(
      directory, extensions, [](const std::filesystem::path& path) { return path.filename().string(); });
}

std::vector<std::string> ListFilesWithExtensionsBelow(const std::string& directory,
                                                      const std::vector<std::string_view>& extensions) {
  return ListMatchingFiles<std::filesystem::recursive_directory_iterator>(
      directory, extensions, [](const std::filesystem::path& path) { return path.string(); });
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

std::string ProgramDirectory(std::string_view argv0) {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length > 0 && static_cast<std::size_t>(length) < path.size()) {
    path.resize(static_cast<std::size_t>(length));
  } else {
    const char* searchPath = std::getenv("PATH");
    path = ResolveProgramName(argv0, searchPath != nullptr ? searchPath : "");
  }
  return path.empty() ? "." : DirectoryOf(path);
}

std::string ResolveProgramName(std::string_view argv0, std::string_view searchPath) {
  std::error_code error;
  if (argv0.find('/') != std::string_view::npos) return std::filesystem::canonical(argv0, error).string();
  for (std::size_t from = 0; !argv0.empty() && from <= searchPath.size();) {
    const std::size_t colon = std::min(searchPath.find(':', from), searchPath.size());
    const std::string_view folder = searchPath.substr(from, colon - from);
    const std::string candidate = JoinPath(folder.empty() ? "." : folder, argv0);
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
      return std::filesystem::canonical(candidate, error).string();
    }
    from = colon + 1;
  }
  return {};
}

}  // namespace routelet
