// Arbitrary bytes as template.dat, filled with a small fixed track beside a photo.
#include <cstdint>
#include <string_view>

#include "driver/run_state.h"
#include "fuzz_support.h"
#include "output/build_page.h"
#include "runtime/text_file.h"

namespace {

constexpr std::string_view kLog =
    "$GPGGA,000000,3500.0000,N,13900.0000,E,1,08,0.9,12.5,M,46.9,M,,\r\n"
    "$GPRMC,000000,A,3500.0000,N,13900.0000,E,0.0,0.0,010111,,\r\n"
    "$GPRMC,000100.50,A,3500.1000,N,13900.1000,E,0.0,0.0,010111,,*00\r\n"
    "$GNRMC,000200,A,3500.2000,S,13900.2000,W,0.0,0.0,010111,,\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace routelet;
  RunState state;
  ParseSections(DecodeText(std::string(reinterpret_cast<const char*>(data), size)), state.Sections);
  state.LogPath = "/nonexistent-folder/trip <&>.log";
  state.LogLines.buffer = kLog;
  std::string_view rest = state.LogLines.buffer;
  for (std::size_t end; (end = rest.find("\r\n")) != std::string_view::npos; rest.remove_prefix(end + 2)) {
    state.LogLines.lines.push_back(rest.substr(0, end));
  }
  SilentFrontEnd ui;
  const std::string page = BuildPage(state, ui);
  (void)page;
  return 0;
}
