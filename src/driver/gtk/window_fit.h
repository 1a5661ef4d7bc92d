#pragma once
// Keeping a dialog on the screen: a dialog taller than a small screen has its buttons cut off.
typedef struct _GtkWindow GtkWindow;

namespace routelet {

// The largest share of the monitor's work area (the screen less panels) a dialog may take high.
inline constexpr double kLargestHeightShare = 0.9;

// Limits `window` to kLargestHeightShare of the work area's height and to its width, on the
// monitor it will show on (the primary one, else the first), shrinking a size it asked for.
void FitToWorkArea(GtkWindow* window);

}  // namespace routelet
