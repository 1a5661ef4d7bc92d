#pragma once
// What every desktop's log chooser offers: its title and its file filters, in the same order on
// each system.
#include <cstddef>
#include <string_view>

namespace routelet {

// The dialog's title.
inline constexpr const char* kLogChooserTitle = "GPSログ";

// One choice of the dialog's file filter: its name, and the extensions of the files it shows
// (letter case ignored), separated by ";"; none shows every file.
struct LogFilter {
  const char* Name;
  std::string_view Extensions;
};

// Calls `each` with every extension of `filter` in turn (never, for a filter of every file).
template <typename Each>
void ForEachExtension(const LogFilter& filter, Each each) {
  for (std::string_view rest = filter.Extensions; !rest.empty();) {
    const std::size_t end = rest.find(';');
    each(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
}

// The filters in the order offered; the first is chosen when the dialog opens. GPS receivers and
// their programs also save logs as ".nmea" or plain ".txt"; phones and most track programs
// write GPX, sports watches TCX, map programs KML. The filter of every kind of log (compressed
// ones too) goes after the described ones, so that the first stays the one chosen; its name is
// English and reaches the user through the translations.
inline constexpr LogFilter kLogFilters[] = {
    {"GPSログ(*.log)", ".log"},
    {"NMEAログ(*.nmea)", ".nmea"},
    {"テキストファイル(*.txt)", ".txt"},
    {"GPX/TCX/KML(*.gpx;*.tcx;*.kml)", ".gpx;.tcx;.kml"},
    {"All GPS logs (*.log;*.nmea;*.txt;*.gpx;*.tcx;*.kml;*.gz)", ".log;.nmea;.txt;.gpx;.tcx;.kml;.gz"},
    {"すべてのファイル", ""},
};

}  // namespace routelet
