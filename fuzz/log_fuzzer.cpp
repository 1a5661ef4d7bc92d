// Arbitrary bytes as a GPS log: read it, build the track, render every record placeholder.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "output/record_item.h"
#include "track/parse_track.h"
#include "track/read_gps_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace routelet;
  fuzz::MemoryFile file(data, size);
  SilentFrontEnd ui;
  LogLineList lines;
  if (!ReadGpsLog(file.Path(), ui, lines)) return 0;
  std::vector<TrackRecord> records;
  TrackSummary summary;
  ParseTrack(lines, records, summary);
  const RecordItemTemplate item("[index]|[time]|[timestr]|[lat]|[lng]|[alt]|[dist]|[speed]");
  std::string list;
  for (std::size_t i = 0; i < records.size(); ++i) item.AppendItem(list, static_cast<std::int64_t>(i), records[i]);
  return 0;
}
