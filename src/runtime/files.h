#pragma once
// Paths, directory listing and the program's own directory. Paths use "/" as the separator.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/file_error.h"

namespace routelet {

// True when `path` names an existing entry of any kind (file, folder, ...).
bool PathExists(const std::string& path);

// Why `path` cannot be read as an input file, told without opening it; nothing when it may be.
// kNotFound only when no entry of that name exists: a path the system cannot follow (a symlink
// loop, a folder that may not be searched) is kCannotOpen with the system's reason. A device or
// a socket is kNotAFile. Folders and FIFOs pass: their readers say what they give.
std::optional<FileError> InputFileProblem(const std::string& path);

// True when `path` names an existing folder.
bool IsDirectory(const std::string& path);

// True when `path` names a folder whose entries may be listed and reached (read and search
// permission).
bool IsReadableFolder(const std::string& path);

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

// What ListFilesWithExtensionsBelow found, and how many folders it could not read.
struct FilesBelow {
  std::vector<std::string> Paths;
  // Folders that could not be opened or not read to the end (no permission, too many open
  // files, a path too long for the system): what they hold is not in Paths.
  std::size_t FoldersNotRead = 0;
};

// Paths of the regular files in `directory` and its subfolders (not following links to
// folders) whose name ends with one of `extensions`, letter case ignored, each beginning with
// `directory`; sorted as ListFilesWithExtensions sorts names. The walk holds one folder open at
// a time, whatever the depth.
FilesBelow ListFilesWithExtensionsBelow(const std::string& directory, const std::vector<std::string_view>& extensions);

// The path that leads from `folder` to `path` ("../photos/a.jpg"), both taken from the current
// folder when relative, worked out on the texts alone, as a browser resolves a relative link.
std::string RelativePath(const std::string& path, const std::string& folder);

// The folder that holds the running program, symlinks resolved: from /proc, or where /proc is not
// there from `argv0`, the name the program was started by (ResolveProgramName). "." when neither
// tells.
std::string ProgramDirectory(std::string_view argv0 = {});

// The program file `argv0` names, as the shell found it, symlinks resolved: a name with a "/" is a
// path; a bare name is the first executable file of that name in the folders of `searchPath`
// (PATH: folders separated by ":", an empty one meaning the current folder). Empty when none.
std::string ResolveProgramName(std::string_view argv0, std::string_view searchPath);

}  // namespace routelet
