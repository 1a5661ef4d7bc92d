#pragma once
// Reading a GPS log straight into its track, without holding the whole file.
#include <cstddef>
#include <string>

#include "runtime/file_error.h"
#include "runtime/parallel.h"
#include "runtime/progress.h"
#include "track/log_content.h"
#include "track/track.h"
#include "track/xml_track.h"

namespace routelet {

// What a log gives the page: its track, how many of its lines were position or fix sentences
// (of an XML track file: how many track points it had), and what the log held.
struct LogTrack {
  Track Points;
  std::size_t KeptLines = 0;
  LogContent Content = LogContent::kNmea;
  XmlStop Xml;  // of an XML file: why it was not read to its end, if it was not
  // A compressed log that was cut short or is damaged: the track is of the bytes it gave.
  bool CompressionBroken = false;
};

// The bytes of a log that one thread reads at a time: small enough to stay in the processor's
// cache, large enough that the system calls do not count.
inline constexpr std::size_t kLogWindowBytes = 256 * 1024;

// BuildTrack(ReadGpsLog(path)) and the size of its lines, with the same problems and progress,
// made without holding the file: a regular file is cut into chunks at line starts, and each
// chunk is read through a window of `windowBytes` (grown for a longer line that may be a track
// sentence; any other line is passed over unheld) and built as it comes, on the threads
// `parallelism` allows. The time is linear in the file's size whatever the thread count, and the
// first chunk that fails stops the others. A FIFO, and a file that shrank while it was read, are
// read whole first.
// The content decides how the file is read, never its name: a file that begins with "<" is read
// as an XML track file (XmlTrackReader), as a stream; a gzip file is inflated as it is read, and
// its bytes read as the log or XML file they are. For a log that made no track, Content
// tells whether it held NMEA sentences, nothing, or neither.
Loaded<LogTrack> ReadTrack(const std::string& path, Progress& progress, const Parallelism& parallelism,
                           std::size_t windowBytes = kLogWindowBytes);

// Whether the file at `path` may hold a track, told from its first bytes (kSniffedLogBytes) alone:
// it begins like an XML file, or an NMEA sentence begins a line there. A folder's files are
// sorted so, without reading its photos and other files through.
inline constexpr std::size_t kSniffedLogBytes = 64 * 1024;
bool MayHoldTrack(const std::string& path);

}  // namespace routelet
