#pragma once
// The modal message box: one text, one OK button, no icon.
#include <string_view>

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkWindow GtkWindow;

namespace routelet {

// Builds the box without showing it: `text` as its message (shown as it is, wrapped wherever
// needed so that a long path shows whole), `title` as its title (empty: "Routelet"), OK as
// the default answer so that Return presses it. `parent` (may be null) is the window the box
// belongs to. The caller owns the box and destroys it.
GtkWidget* CreateMessageBox(GtkWindow* parent, std::string_view text, std::string_view title);

// Shows the box and returns when the user has pressed OK or closed it; the box is gone from the
// screen by then.
void RunMessageBox(GtkWindow* parent, std::string_view text, std::string_view title);

}  // namespace routelet
