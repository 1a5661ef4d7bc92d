#pragma once
// The open-file dialog that asks for the log when the command line names none.
#include <string>
#include <string_view>

typedef struct _GtkWidget GtkWidget;

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

// Builds the dialog without showing it: an open-file dialog for one local file, in the current
// folder, with the filters above (the first chosen) and Open as the default answer. The caller
// owns it and destroys it.
GtkWidget* CreateLogChooser();

// Shows the dialog until the user confirms an existing file or cancels. Returns the file's
// full path as the file system spells it, or empty text on cancel; the dialog is gone from
// the screen by then. A name typed without extension stands for the ".log" file of that name
// when only that one exists; a name that stands for no file is refused with a message box, and
// the dialog stays open.
std::string RunLogChooser();

}  // namespace routelet
