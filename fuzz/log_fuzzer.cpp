// Arbitrary bytes as a GPS log (an XML file's track is xml_fuzzer's part): read it whole and build the track, render every record
// placeholder; and read it straight into its track through small windows and chunks, on two
// threads, which must give the very same track. The helper thread is kept from one input to the
// next (ForEachChunk keeps its threads), so the threads cost no time per input.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "output/record_item.h"
#include "runtime/progress.h"
#include "track/build_track.h"
#include "track/read_gps_log.h"
#include "track/read_track.h"

namespace {

using namespace routelet;

// Bit for bit, so that a NaN is the same as itself.
bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameRecords(const TrackRecord& a, const TrackRecord& b) {
  return a.UnixTime == b.UnixTime && SameBits(a.Fraction, b.Fraction) && SameBits(a.LocalTime, b.LocalTime) &&
         SameBits(a.Lat, b.Lat) && SameBits(a.Lng, b.Lng) && SameBits(a.Alt, b.Alt) && a.AltKnown == b.AltKnown &&
         a.FractionDigits == b.FractionDigits && SameBits(a.Speed, b.Speed) && SameBits(a.Dist, b.Dist);
}

void ExpectSameTrack(const Track& whole, std::size_t wholeLines, const LogTrack& straight) {
  bool same = whole.Records.size() == straight.Points.Records.size() && wholeLines == straight.KeptLines &&
              whole.Span.MinTime == straight.Points.Span.MinTime && whole.Span.MaxTime == straight.Points.Span.MaxTime;
  for (std::size_t i = 0; same && i < whole.Records.size(); ++i) same = SameRecords(whole.Records[i], straight.Points.Records[i]);
  if (!same) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::MemoryFile file(data, size);
  NoProgress progress;
  const Loaded<GpsLog> log = ReadGpsLog(file.Path(), progress);
  if (!log.ok()) return 0;
  const Track track = BuildTrack(log.Value);
  const RecordItemTemplate item("[index]|[time]|[timestr]|[time:iso]|[lat]|[lng]|[alt]|[dist]|[speed]|[alt:known]");
  std::string list;
  for (std::size_t i = 0; i < track.Records.size(); ++i) {
    item.AppendItem(list, static_cast<std::int64_t>(i), track.Records[i]);
  }
  // Windows and chunks from the input's first bytes: from one byte up, but no more than a few
  // hundred of each in a large input, whose reads would otherwise cost a system call a byte.
  constexpr std::size_t kMostPieces = 256;
  const std::size_t window = std::max<std::size_t>(size > 0 ? 1 + data[0] % 64 : 1, size / kMostPieces);
  const std::size_t chunk = std::max<std::size_t>(size > 1 ? 1 + data[1] % 128 : 1, size / kMostPieces);
  const Loaded<LogTrack> straight = ReadTrack(file.Path(), progress, {2, chunk}, window);
  if (!straight.ok()) std::abort();
  if (straight.Value.Content == LogContent::kXml) return 0;  // read by the XML reader: xml_fuzzer's part
  // A gzip file is inflated as ReadTrack reads it (and must not crash it), while the plain reader
  // above takes its bytes as they stand: there is no same track to expect.
  if (size >= 2 && data[0] == 0x1f && data[1] == 0x8b) return 0;
  ExpectSameTrack(track, log.Value.size(), straight.Value);
  return 0;
}
