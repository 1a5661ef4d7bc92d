// Arbitrary bytes as an XML track file (GPX, TCX, KML): fed whole and fed in small pieces, the
// reader must give the same points and stop at the same line for the same reason; and reading
// the file as a log must give those points too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "fuzz_support.h"
#include "runtime/progress.h"
#include "track/read_track.h"
#include "track/xml_track.h"

namespace {

using namespace routelet;

struct Reading {
  ChunkTrack Points;
  XmlStop Stop;
};

Reading Read(std::string_view bytes, std::size_t piece) {
  XmlTrackReader reader;
  bool going = true;
  for (std::size_t at = 0; going && at < bytes.size(); at += piece) going = reader.Feed(bytes.substr(at, piece), false);
  if (going) reader.Feed({}, true);
  return {reader.Finish(), reader.Stop()};
}

bool SameRecords(const std::vector<TrackRecord>& a, const std::vector<TrackRecord>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].UnixTime != b[i].UnixTime || std::memcmp(&a[i].Lat, &b[i].Lat, sizeof(double)) != 0 ||
        std::memcmp(&a[i].Lng, &b[i].Lng, sizeof(double)) != 0 || a[i].AltKnown != b[i].AltKnown ||
        std::memcmp(&a[i].Fraction, &b[i].Fraction, sizeof(double)) != 0 || a[i].Segment != b[i].Segment) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Reading whole = Read(bytes, size == 0 ? 1 : size);
  const Reading pieces = Read(bytes, size > 0 ? 1 + data[0] % 16 : 1);
  // A stop inside the bytes is found wherever they were cut; only its line may differ by the
  // piece expat was given.
  if (whole.Stop.What != pieces.Stop.What || !SameRecords(whole.Points.Records, pieces.Points.Records)) std::abort();
  // A file that breaks before any point is read as a log instead.
  const bool notXml = whole.Stop.What == XmlStop::Reason::kBroken && whole.Points.Records.empty();
  if (!LooksLikeXml(bytes.substr(0, 512)) || notXml) return 0;
  fuzz::MemoryFile file(data, size);
  NoProgress progress;
  // Read in pieces of about 64 bytes, each by a parser of its own, and joined: the same points.
  const Loaded<LogTrack> log = ReadTrack(file.Path(), progress, {1, 64}, 64);
  if (!log.ok() || log.Value.Content != LogContent::kXml || log.Value.Xml.What != whole.Stop.What ||
      !SameRecords(log.Value.Points.Records, whole.Points.Records)) {
    std::abort();
  }
  return 0;
}
