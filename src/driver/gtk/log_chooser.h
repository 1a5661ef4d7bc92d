#pragma once
// The open-file dialog that asks for the log when the command line names none.
#include <string>
#include <string_view>
#include <vector>

#include "driver/log_filters.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkWindow GtkWindow;

namespace routelet {

// A dialog that chooses local files (or folders, with `folders`), one or `several`, starting in
// the current folder, with Cancel and `acceptLabel` in the program's language (`acceptLabel` the
// default answer), at most kLargestHeightShare of the screen's work area high. Not shown yet; the
// caller owns it and destroys it.
GtkWidget* CreatePathChooser(GtkWindow* parent, const char* title, bool folders, const char* acceptLabel, bool several);

// The paths `chooser` (made by CreatePathChooser) confirmed, as the file system spells them.
std::vector<std::string> ConfirmedPaths(GtkWidget* chooser);

// Builds the dialog without showing it: an open-file dialog for one local file or several, in the current
// folder, with the filters above (the first chosen) and Open as the default answer, at most
// kLargestHeightShare of the screen's work area high, its buttons in the program's language.
// `parent` (may be null) is the window it belongs to. The caller owns it and destroys it.
GtkWidget* CreateLogChooser(GtkWindow* parent = nullptr);

// Shows the dialog until the user confirms existing files or cancels. Returns the files' full
// paths as the file system spells them, or none on cancel; the dialog is gone from the screen
// by then. A name typed without extension stands for the ".log" file of that name
// when only that one exists; a name that stands for no file is refused with a message box, and
// the dialog stays open.
std::vector<std::string> RunLogChooser(GtkWindow* parent = nullptr);

}  // namespace routelet
