// A build without expat reads no XML track file: each is stopped before its first byte.
#include "track/xml_track.h"

namespace routelet {

struct XmlTrackReader::State {};

bool XmlTracksReadable() { return false; }

XmlTrackReader::XmlTrackReader() = default;
XmlTrackReader::XmlTrackReader(const XmlPointContext&, std::string_view, std::uint64_t) {}
XmlTrackReader::~XmlTrackReader() = default;
void XmlTrackReader::WatchFirstPoint(std::uint64_t) {}
const std::optional<XmlPointContext>& XmlTrackReader::FirstPoint() const {
  static const std::optional<XmlPointContext> none;
  return none;
}
void XmlTrackReader::EndAtCut(std::uint64_t, std::function<std::optional<std::uint64_t>(std::uint64_t)>) {}
std::optional<std::uint64_t> XmlTrackReader::EndedAt() const { return std::nullopt; }
bool XmlTrackReader::Feed(std::string_view, bool) { return false; }
std::uint64_t XmlTrackReader::Line() const { return 0; }
std::size_t XmlTrackReader::Points() const { return 0; }
XmlStop XmlTrackReader::Stop() const { return {XmlStop::Reason::kNotSupported, 0}; }
ChunkTrack XmlTrackReader::Finish() { return ChunkBuilder().Finish(); }

}  // namespace routelet
