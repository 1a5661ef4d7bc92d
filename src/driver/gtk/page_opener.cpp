#include "driver/gtk/page_opener.h"

#include <gtk/gtk.h>

namespace routelet {

namespace {

// The reason GIO gave, and the error freed.
std::string Reason(GError* error) {
  std::string reason = error->message;
  g_error_free(error);
  return reason;
}

// The file:// URI of `path` made absolute; empty with `error` set when there is none.
std::string UriOf(const std::string& path, GError** error) {
  gchar* absolute = g_canonicalize_filename(path.c_str(), nullptr);
  gchar* uri = g_filename_to_uri(absolute, nullptr, error);
  g_free(absolute);
  if (uri == nullptr) return {};
  std::string text = uri;
  g_free(uri);
  return text;
}

// How long the file manager has to answer; it answers at once when it is there.
constexpr int kFileManagerTimeoutMs = 5000;

bool AskFileManager(const std::string& uri) {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return false;
  const gchar* uris[] = {uri.c_str(), nullptr};
  GVariant* reply = g_dbus_connection_call_sync(
      bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
      "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, kFileManagerTimeoutMs,
      nullptr, nullptr);
  g_object_unref(bus);
  if (reply == nullptr) return false;
  g_variant_unref(reply);
  return true;
}

}  // namespace

std::optional<std::string> ShowInFolder(const std::string& path) {
  GError* error = nullptr;
  const std::string uri = UriOf(path, &error);
  if (uri.empty()) return Reason(error);
  if (AskFileManager(uri)) return std::nullopt;
  gchar* folder = g_path_get_dirname(path.c_str());
  const std::optional<std::string> problem = OpenWithDefaultHandler(folder);
  g_free(folder);
  return problem;
}

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
