#pragma once
// Track points of XML track files (GPX 1.0 and 1.1, TCX, KML gx:Track), read as a stream: the
// bytes are fed as they are read, and only the point being read is held.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "track/track_chunks.h"

namespace routelet {

// Whether `start`, the first bytes of a file (a few hundred are plenty), begins like an XML file:
// after a UTF-8 byte-order mark and blanks, a "<". No NMEA log begins so.
bool LooksLikeXml(std::string_view start);

// Whether this build reads XML track files (it needs the expat library).
bool XmlTracksReadable();

// Why an XML track file was not read to its end.
struct XmlStop {
  enum class Reason {
    kNone,          // read to the end
    kBroken,        // not well-formed XML from line `Line` on: cut off, or damaged
    kEntities,      // a DOCTYPE declares entities: refused at once, nothing of it is expanded
    kNotSupported,  // this build reads no XML track files
  };
  Reason What = Reason::kNone;
  std::uint64_t Line = 0;
};

// Where the first GPX track point of a file stands: what a piece of the file that begins with
// a track point in the same place needs, to be read on its own as the whole file reads it.
struct XmlPointContext {
  std::uint64_t Offset = 0;            // of the point's "<" in the file
  std::uint64_t Line = 0;              // the line it begins on
  std::string Name;                    // its element's name as written, e.g. "trkpt"
  std::vector<std::string> Enclosing;  // the names of the elements around it, outermost first
};

// Reads track points as bytes are fed: every <trkpt> of a GPX (lat, lon, <ele>, <time>; route
// points and waypoints are not track points), every <Trackpoint> of a TCX that has a <Position>
// (<AltitudeMeters>, <Time>), and every <when>/<gx:coord> pair of a KML <gx:Track>. All the
// points of a file make one track, in file order; each GPX <trkseg>, TCX <Track> and KML
// <gx:Track> that holds points is a segment of its own. A point without an altitude has an unknown
// one, a point without a usable time is untimed. Times are ISO 8601 with an optional fraction
// and zone (UTC when none is given). No DTD or external entity is ever loaded, and a file that
// declares entities is refused at its first declaration; memory grows at most with the file's
// nesting and names, which expat holds, and the point being read.
class XmlTrackReader {
 public:
  XmlTrackReader();
  // A reader of the piece of a file that begins at `pieceStart` with a track point that stands as
  // `context` says. `head`, the file's bytes before the context's point, is read first for its
  // declarations and open elements; its points are not kept. Lines count as in the whole file
  // from the context's line on.
  XmlTrackReader(const XmlPointContext& context, std::string_view head, std::uint64_t pieceStart);
  ~XmlTrackReader();
  XmlTrackReader(const XmlTrackReader&) = delete;
  XmlTrackReader& operator=(const XmlTrackReader&) = delete;

  // Reads the next bytes of the file; `last` for its final ones (possibly none). False once
  // reading stopped, for good.
  bool Feed(std::string_view bytes, bool last);
  // The line the reading has reached.
  std::uint64_t Line() const;
  std::size_t Points() const;
  XmlStop Stop() const;
  // Records where the first GPX track point stands, for FirstPoint, if it begins within the
  // first `withinBytes` bytes.
  void WatchFirstPoint(std::uint64_t withinBytes);
  const std::optional<XmlPointContext>& FirstPoint() const;
  // Makes the reading end before a track point that begins at a cut (a file offset) and stands as
  // the first point of the file (or the piece's context) does. `passed(cut)` is told each cut that
  // the reading passes otherwise (inside a comment, say) and gives the next cut, if any.
  // Reading ended so leaves Stop() at kNone; Line() is then the line of the cut.
  void EndAtCut(std::uint64_t cut, std::function<std::optional<std::uint64_t>(std::uint64_t passed)> passed);
  std::optional<std::uint64_t> EndedAt() const;
  // The points read; the reader is done with.
  ChunkTrack Finish();

  struct State;  // expat's callbacks reach it

 private:
  std::unique_ptr<State> state_;
};

}  // namespace routelet
