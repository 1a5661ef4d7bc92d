#include "driver/gtk/gtk_events.h"

#include <gtk/gtk.h>

namespace routelet {

void HandlePendingEvents() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  if (GdkDisplay* display = gdk_display_get_default()) gdk_display_flush(display);
}

bool HandleEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  // A timer that does nothing but wake the blocking iteration below, so that the wait ends at
  // the deadline even when no event arrives.
  const guint wakeUp = g_timeout_add(5, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
  bool reached = done();
  while (!reached && std::chrono::steady_clock::now() < deadline) {
    g_main_context_iteration(nullptr, TRUE);
    reached = done();
  }
  g_source_remove(wakeUp);
  if (GdkDisplay* display = gdk_display_get_default()) gdk_display_flush(display);
  return reached;
}

}  // namespace routelet
