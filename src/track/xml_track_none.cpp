// A build without expat reads no XML track file: each is stopped before its first byte.
#include "track/xml_track.h"

namespace routelet {

struct XmlTrackReader::State {};

bool XmlTracksReadable() { return false; }

XmlTrackReader::XmlTrackReader() = default;
XmlTrackReader::~XmlTrackReader() = default;
bool XmlTrackReader::Feed(std::string_view, bool) { return false; }
std::uint64_t XmlTrackReader::Line() const { return 0; }
std::size_t XmlTrackReader::Points() const { return 0; }
XmlStop XmlTrackReader::Stop() const { return {XmlStop::Reason::kNotSupported, 0}; }
ChunkTrack XmlTrackReader::Finish() { return ChunkBuilder().Finish(); }

}  // namespace routelet
