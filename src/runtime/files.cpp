#include "runtime/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

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

// The regular files (links followed) in `directory` whose name ends with one of `extensions`, in
// name order. A folder that cannot be read gives nothing.
std::vector<std::string> ListMatchingFiles(const std::string& directory,
                                           const std::vector<std::string_view>& extensions) {
  std::vector<std::string> found;
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    if (!HasExtension(it->path().filename().string(), extensions) || !it->is_regular_file(ignored)) continue;
    found.push_back(it->path().filename().string());
  }
  std::sort(found.begin(), found.end(), NameOrder);
  return found;
}

// One entry of a folder: its name and its type as the folder tells it (DT_UNKNOWN when it does not).
struct FolderEntry {
  std::string Name;
  unsigned char Type;
};

// The entries of the folder at `path` but "." and "..", read whole so that the folder is closed
// again before any of its subfolders is opened; `identity` is set to the folder's device and
// inode. False when the folder could not be opened or not read to its end (the entries read
// before the failure are kept).
bool ReadFolder(const std::string& path, std::vector<FolderEntry>& entries, std::pair<dev_t, ino_t>& identity) {
  DIR* folder = ::opendir(path.c_str());
  if (folder == nullptr) return false;
  struct stat info {};
  if (::fstat(::dirfd(folder), &info) == 0) identity = {info.st_dev, info.st_ino};
  errno = 0;
  for (const dirent* entry = ::readdir(folder); entry != nullptr; entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") entries.push_back({std::string(name), entry->d_type});
    errno = 0;
  }
  const bool complete = errno == 0;
  ::closedir(folder);
  return complete;
}

// The type of the entry at `path` (DT_DIR, DT_REG, DT_LNK, ...) when its folder did not tell it.
unsigned char EntryType(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return DT_UNKNOWN;
  if (S_ISDIR(info.st_mode)) return DT_DIR;
  if (S_ISREG(info.st_mode)) return DT_REG;
  return S_ISLNK(info.st_mode) ? DT_LNK : DT_UNKNOWN;
}

// True when the link at `path` leads to a regular file.
bool LeadsToRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
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

bool IsReadableFolder(const std::string& path) {
  DIR* folder = ::opendir(path.c_str());
  if (folder == nullptr) return false;
  ::closedir(folder);
  return ::access(path.c_str(), X_OK) == 0;
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
  return ListMatchingFiles(directory, extensions);
}

// Folders still to be read are kept as paths, and each folder is closed before the next is
// opened: one descriptor at a time however deep the tree is. Links are never followed into
// folders, and a folder already walked (reached again through a bind mount) is not walked again,
// so the walk ends.
FilesBelow ListFilesWithExtensionsBelow(const std::string& directory, const std::vector<std::string_view>& extensions) {
  FilesBelow below;
  std::set<std::pair<dev_t, ino_t>> walked;
  std::vector<std::string> pending = {directory};
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    std::vector<FolderEntry> entries;
    std::pair<dev_t, ino_t> identity{};
    if (!ReadFolder(folder, entries, identity)) ++below.FoldersNotRead;
    if (!entries.empty() && !walked.insert(identity).second) continue;
    for (const FolderEntry& entry : entries) {
      std::string path = JoinPath(folder, entry.Name);
      const unsigned char type = entry.Type == DT_UNKNOWN ? EntryType(path) : entry.Type;
      if (type == DT_DIR) {
        pending.push_back(std::move(path));
      } else if (HasExtension(entry.Name, extensions) &&
                 (type == DT_REG || (type == DT_LNK && LeadsToRegularFile(path)))) {
        below.Paths.push_back(std::move(path));
      }
    }
  }
  std::sort(below.Paths.begin(), below.Paths.end(), NameOrder);
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
