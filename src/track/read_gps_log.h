#pragma once
// Reading a GPS log: the position and fix sentences of the whole file, in file order.
#include <string>

#include "runtime/file_error.h"
#include "runtime/parallel.h"
#include "runtime/progress.h"
#include "runtime/text_file.h"
#include "track/gps_log.h"

namespace routelet {

// The log at `path`: the file's bytes, unconverted, and a view of every line whose kind is a
// position or fix sentence (any talker), unchanged and without its line ending. A line ends at
// CR LF, at a lone CR or at a lone LF; a UTF-8 byte-order mark before the first line is skipped.
// Damaged sentences of those kinds are kept too; they are judged when the track is built.
// Tells `progress` every 100 lines read. A missing path gives kNotFound; a path that cannot be
// read (a folder, no permission, a symlink loop) gives kCannotOpen with the reason; a device
// gives kNotAFile. A large log is cut into lines on the threads `parallelism` allows;
// `progress` hears the same counts, in the same order, after the lines are all cut.
Loaded<GpsLog> ReadGpsLog(const std::string& path, Progress& progress, const Parallelism& parallelism = {});

// Opens the log at `path` to read, with the problems ReadGpsLog tells.
std::optional<FileError> OpenLog(const std::string& path, InputFile& file);

// ReadGpsLog of a log that OpenLog opened and nothing has read from.
Loaded<GpsLog> ReadOpenedLog(const InputFile& file, Progress& progress, const Parallelism& parallelism);

}  // namespace routelet
