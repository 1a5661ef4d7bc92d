#pragma once
// A regular XML track file read on several threads: cut at track points, each piece read by a
// parser of its own, and only the pieces whose cuts the parser before them confirms are kept.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "runtime/parallel.h"
#include "track/track_chunks.h"
#include "track/xml_track.h"

namespace routelet {

// What the pieces of a file gave together: what reading it in one piece gives.
struct XmlPiecesRead {
  std::vector<ChunkTrack> Chunks;  // in file order, for JoinChunks
  std::size_t Points = 0;
  XmlStop Stop;
  // The line that a reading in one piece, fed `blockBytes` at a time, tells as read last.
  std::uint64_t LinesTold = 0;
};

// Reads the XML track file `file` of `size` bytes from its start, in blocks of `blockBytes`
// at offsets that are multiples of it. The reading runs in one piece up to the first GPX track
// point; from there on the file is cut into pieces at further track points' start tags, each read
// on its own by a parser that first reads the bytes before the first point (its declarations and
// open elements). A piece ends where the parser reading it meets the next cut as a track point in
// the same place (same depth and enclosing elements); where it meets it as anything else (a
// comment, a CDATA section), it reads on through the next piece as one reading would. Nothing
// after a failed read, with `error` set.
std::optional<XmlPiecesRead> ReadXmlTrackFile(platform::NativeFile file, std::size_t size, std::size_t blockBytes,
                                              const Parallelism& parallelism, platform::SystemError& error);

}  // namespace routelet
