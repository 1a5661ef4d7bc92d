// Arbitrary bytes as template.dat, filled with a small fixed track of two segments and one
// photo: the whole page, and the page made in pieces, which must be the same; and the template's
// check.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "output/check_template.h"
#include "output/render_page.h"
#include "runtime/progress.h"
#include "runtime/text_file.h"
#include "track/build_track.h"
#include "track/read_gps_log.h"

namespace {

constexpr std::string_view kLog =
    "$GPGGA,000000,3500.0000,N,13900.0000,E,1,08,0.9,12.5,M,46.9,M,,\r\n"
    "$GPRMC,000000,A,3500.0000,N,13900.0000,E,0.0,0.0,010111,,\r\n"
    "$GPRMC,000100.50,A,3500.1000,N,13900.1000,E,0.0,0.0,010111,,*00\r\n"
    "$GNRMC,000200,A,3500.2000,S,13900.2000,W,0.0,0.0,010111,,\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace routelet;
  static const fuzz::MemoryFile logFile(reinterpret_cast<const std::uint8_t*>(kLog.data()), kLog.size());
  NoProgress progress;
  static const Loaded<GpsLog> log = ReadGpsLog(logFile.Path(), progress);
  // Two segments, so that the segment break and the segment list are made too.
  static const Track track = [] {
    Track built = BuildTrack(log.Value);
    const std::size_t last = built.Records.size() - 1;
    built.Records[last].Segment = 1;
    built.Segments = {{0, last, {}}, {last, 1, {}}};
    return built;
  }();
  static const std::vector<Photo> photos = {{"IMG <&>[file].jpg", 40544.0, 1300000000}};

  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const TemplateProblem& problem : CheckTemplate(bytes)) {
    if (problem.Line == 0 || problem.Column == 0 || problem.Text.empty()) std::abort();
  }
  SectionStore sections;
  ParseSections(DecodeText(std::string(bytes)), sections);
  std::string page = RenderRecords(sections, track, progress);
  FillPlaceholders(page, sections, track, photos, log.Value.size(), "/nonexistent-folder/trip <&>.log");
  // Made in pieces of one record, in a buffer used again, the page is the same.
  const RenderedPage pieces(sections, track, photos, log.Value.size(), "/nonexistent-folder/trip <&>.log", {1, 1});
  std::string joined, piece;
  for (std::size_t k = 0; k < pieces.PieceCount(); ++k) {
    pieces.MakePiece(k, piece);
    joined += piece;
  }
  if (joined != page || pieces.empty() != page.empty()) std::abort();
  return 0;
}
