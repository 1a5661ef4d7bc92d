// Arbitrary bytes as a GPS log: read it, build the track, render every record placeholder.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "output/record_item.h"
#include "runtime/progress.h"
#include "track/build_track.h"
#include "track/read_gps_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace routelet;
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
  return 0;
}
