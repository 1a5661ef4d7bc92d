#include "driver/gtk/page_opener.h"

#include <gtk/gtk.h>

namespace routelet {

std::optional<std::string> OpenWithDefaultHandler(const std::string& path) {
  gchar* absolute = g_canonicalize_filename(path.c_str(), nullptr);
  GError* error = nullptr;
  gchar* uri = g_filename_to_uri(absolute, nullptr, &error);
  g_free(absolute);
  if (uri != nullptr) {
    // The display's launch context hands the display and startup notice on to the browser.
    GdkAppLaunchContext* context = gdk_display_get_app_launch_context(gdk_display_get_default());
    g_app_info_launch_default_for_uri(uri, G_APP_LAUNCH_CONTEXT(context), &error);
    g_object_unref(context);
    g_free(uri);
  }
  if (error == nullptr) return std::nullopt;
  std::string reason = error->message;
  g_error_free(error);
  return reason;
}

}  // namespace routelet
