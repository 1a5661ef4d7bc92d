#include "driver/gtk/window_fit.h"

#include <gtk/gtk.h>

namespace routelet {

namespace {

GdkMonitor* MonitorFor(GtkWindow* window) {
  GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window));
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  return monitor != nullptr ? monitor : gdk_display_get_monitor(display, 0);
}

}  // namespace

void FitToWorkArea(GtkWindow* window) {
  GdkMonitor* monitor = MonitorFor(window);
  if (monitor == nullptr) return;
  GdkRectangle area{};
  gdk_monitor_get_workarea(monitor, &area);
  GdkGeometry limits{};
  limits.max_width = area.width;
  limits.max_height = static_cast<int>(area.height * kLargestHeightShare);
  // GTK keeps its own size requests within the hints, as window managers do.
  gtk_window_set_geometry_hints(window, nullptr, &limits, GDK_HINT_MAX_SIZE);
  int width = 0, height = 0;
  gtk_window_get_default_size(window, &width, &height);
  if (height > limits.max_height || width > limits.max_width) {
    gtk_window_set_default_size(window, width > limits.max_width ? limits.max_width : width,
                                height > limits.max_height ? limits.max_height : height);
  }
}

}  // namespace routelet
