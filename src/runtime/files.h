#pragma once
// Paths, directory listing and the program's own directory. Paths use "/" as the separator.
#include <string>
#include <string_view>
#include <vector>

namespace routelet {

// True when `path` names an existing entry of any kind (file, folder, ...).
bool PathExists(const std::string& path);

// True when `path` names an existing folder.
bool IsDirectory(const std::string& path);

// The folder part of a path: everything before its last "/", or "." when there is none
// ("/" itself for a file in the root).
std::string DirectoryOf(std::string_view path);

// `directory` + "/" + `name`, without doubling a trailing "/".
std::string JoinPath(std::string_view directory, std::string_view name);

// Names (without folder) of the regular files in `directory` whose name ends with one of
// `extensions` (each like ".jpg"), letter case ignored. Sorted by name with letter case ignored,
// ties by the exact name, so that the result is the same on every machine. An unreadable or
// missing folder gives no names.
std::vector<std::string> ListFilesWithExtensions(const std::string& directory,
                                                 const std::vector<std::string_view>& extensions);

// Paths of the regular files in `directory` and its subfolders (not following links to
// folders) whose name ends with one of `extensions`, letter case ignored, each beginning with
// `directory`; sorted as ListFilesWithExtensions sorts names. Folders that cannot be read are
// passed over.
std::vector<std::string> ListFilesWithExtensionsBelow(const std::string& directory,
                                                      const std::vector<std::string_view>& extensions);

// The path that leads from `folder` to `path` ("../photos/a.jpg"), both taken from the current
// folder when relative, worked out on the texts alone, as a browser resolves a relative link.
std::string RelativePath(const std::string& path, const std::string& folder);

// The folder that holds the running program, symlinks resolved; "." when it cannot be told.
std::string ProgramDirectory();

}  // namespace routelet
