#pragma once
// The start window (routelet --start): the logs, where their photos are, how the camera's clock
// runs, the template and whether to open the page, then Convert. Every field has a label with a
// mnemonic (Alt and the underlined letter) that also names it to assistive technology, and
// Tab goes through them in the order shown.
#include "driver/front_end.h"

typedef struct _GtkWidget GtkWidget;

namespace routelet {

// Shows the window filled with `request.Choices` until the user converts with choices that
// `request.ProblemWith` finds nothing wrong with (true, the choices then in `request.Choices`) or
// closes it (false). A problem is told in a message box and the window stays.
bool RunStartWindow(StartRequest& request);

}  // namespace routelet
