#pragma once
// Track points of XML track files (GPX 1.0 and 1.1, TCX, KML gx:Track), read as a stream: the
// bytes are fed as they are read, and only the point being read is held.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

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
  // The points read; the reader is done with.
  ChunkTrack Finish();

  struct State;  // expat's callbacks reach it

 private:
  std::unique_ptr<State> state_;
};

}  // namespace routelet
