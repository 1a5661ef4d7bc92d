#include "runtime/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

#include "platform/files.h"
#include "platform/process.h"
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
  std::filesystem::directory_iterator it(platform::NativePath(directory), error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    std::string name = platform::Utf8Path(it->path().filename());
    if (!HasExtension(name, extensions) || !it->is_regular_file(ignored)) continue;
    found.push_back(std::move(name));
  }
  std::sort(found.begin(), found.end(), NameOrder);
  return found;
}

// True when the link at `path` leads to a regular file.
bool LeadsToRegularFile(const std::string& path) {
  platform::FileStatus status;
  platform::SystemError error = 0;
  return platform::StatusOfPath(path, status, error) && status.Kind == platform::FileKind::kRegular;
}

// True when `c` ends a folder's name in a path.
bool IsSeparator(char c) { return platform::kPathSeparators.find(c) != std::string_view::npos; }

}  // namespace

bool PathExists(const std::string& path) {
  platform::FileStatus status;
  platform::SystemError error = 0;
  return !path.empty() && platform::StatusOfPath(path, status, error);
}

std::optional<FileError> InputFileProblem(const std::string& path) {
  platform::FileStatus status;
  platform::SystemError error = 0;
  if (!platform::StatusOfPath(path, status, error)) {
    if (platform::IsNotFoundError(error)) return FileError{FileError::Problem::kNotFound, {}};
    return FileError{FileError::Problem::kCannotOpen, platform::ErrorText(error)};
  }
  using platform::FileKind;
  if (status.Kind == FileKind::kDevice || status.Kind == FileKind::kDisk || status.Kind == FileKind::kSocket) {
    return FileError{FileError::Problem::kNotAFile, {}};
  }
  return std::nullopt;
}

bool IsDirectory(const std::string& path) {
  platform::FileStatus status;
  platform::SystemError error = 0;
  return platform::StatusOfPath(path, status, error) && status.Kind == platform::FileKind::kDirectory;
}

bool IsReadableFolder(const std::string& path) { return platform::IsReadableFolder(path); }

// A drive's root ("C:\\") keeps its separator on Windows, as "/" does everywhere.
std::string DirectoryOf(std::string_view path) {
  const std::size_t slash = path.find_last_of(platform::kPathSeparators);
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return std::string(path.substr(0, 1));
  if (platform::kPathSeparators.size() > 1 && slash == 2 && path[1] == ':') return std::string(path.substr(0, 3));
  return std::string(path.substr(0, slash));
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string joined(directory);
  // A Windows path written with "\\" alone goes on with "\\", so that messages show one kind.
  const bool backslashes = platform::kPathSeparators.size() > 1 && joined.find('/') == std::string::npos &&
                           joined.find('\\') != std::string::npos;
  if (!joined.empty() && !IsSeparator(joined.back())) joined.push_back(backslashes ? '\\' : '/');
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
  std::set<std::pair<std::uint64_t, std::uint64_t>> walked;
  std::vector<std::string> pending = {directory};
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    std::vector<platform::FolderEntry> entries;
    platform::FileIdentity identity;
    if (!platform::ReadFolder(folder, entries, identity)) ++below.FoldersNotRead;
    if (!entries.empty() && !walked.insert({identity.Volume, identity.Index}).second) continue;
    for (const platform::FolderEntry& entry : entries) {
      using platform::EntryType;
      std::string path = JoinPath(folder, entry.Name);
      const EntryType type = entry.Type == EntryType::kUnknown ? platform::EntryTypeOf(path) : entry.Type;
      if (type == EntryType::kDirectory) {
        pending.push_back(std::move(path));
      } else if (HasExtension(entry.Name, extensions) &&
                 (type == EntryType::kRegular || (type == EntryType::kLink && LeadsToRegularFile(path)))) {
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
  const fs::path from = (fs::absolute(platform::NativePath(folder), ignored) / "").lexically_normal().parent_path();
  const fs::path to = fs::absolute(platform::NativePath(path), ignored).lexically_normal();
  const fs::path relative = to.lexically_relative(from);
  // A link in the page takes "/" whatever separated the path on the system.
  std::string link = platform::Utf8Path(relative.empty() ? to : relative);
  if (platform::kPathSeparators.size() > 1) std::replace(link.begin(), link.end(), '\\', '/');
  return link;
}

std::string ProgramDirectory(std::string_view argv0) {
  std::string path = platform::ExecutablePath();
  if (path.empty()) {
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
    if (platform::IsExecutableFile(candidate)) {
      return std::filesystem::canonical(candidate, error).string();
    }
    from = colon + 1;
  }
  return {};
}

}  // namespace routelet
