#pragma once
// What every desktop's log chooser offers: its title and its file filters, in the same order on
// each system.
#include <string_view>

namespace routelet {

// The dialog's title.
inline constexpr const char* kLogChooserTitle = "GPSログ";

// One choice of the dialog's file filter: its name, and the extension of the files it shows
// (letter case ignored); an empty extension shows every file.
struct LogFilter {
  const char* Name;
  std::string_view Extension;
};

// The filters in the order offered; the first is chosen when the dialog opens. GPS receivers and
// their programs also save logs as ".nmea" or plain ".txt".
inline constexpr LogFilter kLogFilters[] = {
    {"GPSログ(*.log)", ".log"},
    {"NMEAログ(*.nmea)", ".nmea"},
    {"テキストファイル(*.txt)", ".txt"},
    {"すべてのファイル", ""},
};

}  // namespace routelet
