#include "driver/gtk/log_chooser.h"

#include <gtk/gtk.h>

#include "driver/front_end.h"
#include "driver/messages.h"
#include "driver/gtk/gtk_events.h"
#include "driver/gtk/log_name_rules.h"
#include "driver/gtk/message_box.h"
#include "driver/gtk/window_fit.h"
#include "platform/translations.h"

namespace routelet {

namespace {

gboolean ShowsInFilter(const GtkFileFilterInfo* info, gpointer data) {
  const auto& filter = *static_cast<const LogFilter*>(data);
  if (info->display_name == nullptr) return FALSE;
  bool shown = filter.Extensions.empty();
  ForEachExtension(filter, [&](std::string_view extension) { shown = shown || HasExtension(info->display_name, extension); });
  return shown;
}

}  // namespace

GtkWidget* CreatePathChooser(GtkWindow* parent, const char* title, bool folders, const char* acceptLabel, bool several) {
  // The buttons carry the program's own labels, in the language of its other texts: GTK's stock
  // texts follow GTK's own translations, which may be missing or in another language.
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      title, parent, folders ? GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER : GTK_FILE_CHOOSER_ACTION_OPEN,
      platform::TranslatedText("_Cancel"), GTK_RESPONSE_CANCEL, acceptLabel, GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_select_multiple(chooser, several);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  // Start where the program was started, as a file manager or a terminal left it, rather than
  // in GTK's list of recent files, where a typed name would have no folder to live in.
  gchar* here = g_get_current_dir();
  gtk_file_chooser_set_current_folder(chooser, here);
  g_free(here);
  FitToWorkArea(GTK_WINDOW(dialog));
  return dialog;
}

std::vector<std::string> ConfirmedPaths(GtkWidget* dialog) {
  std::vector<std::string> paths;
  GSList* names = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(dialog));
  for (GSList* name = names; name != nullptr; name = name->next) paths.emplace_back(static_cast<const char*>(name->data));
  g_slist_free_full(names, g_free);
  return paths;
}

GtkWidget* CreateLogChooser(GtkWindow* parent) {
  GtkWidget* dialog = CreatePathChooser(parent, kLogChooserTitle, false, platform::TranslatedText("_Open"), true);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);

  // GTK's own patterns would tell letter case apart: "TRACK.LOG" would not show.
  GtkFileFilter* first = nullptr;
  for (const LogFilter& choice : kLogFilters) {
    GtkFileFilter* filter = gtk_file_filter_new();
    if (first == nullptr) first = filter;
    gtk_file_filter_set_name(filter, platform::TranslatedText(choice.Name));
    gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_DISPLAY_NAME, ShowsInFilter,
                               const_cast<LogFilter*>(&choice), nullptr);
    gtk_file_chooser_add_filter(chooser, filter);
  }
  gtk_file_chooser_set_filter(chooser, first);
  return dialog;
}

std::vector<std::string> RunLogChooser(GtkWindow* parent) {
  GtkWidget* dialog = CreateLogChooser(parent);
  std::vector<std::string> chosen;
  while (chosen.empty() && gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    // GTK hands back a typed name whether or not such a file exists; refuse it here, say so,
    // and let the user choose again.
    for (const std::string& confirmed : ConfirmedPaths(dialog)) {
      const std::string resolved = ResolveChosenLog(confirmed);
      if (resolved.empty()) {
        // A typed name that stands for no file is told as any missing input is.
        if (!confirmed.empty()) RunMessageBox(GTK_WINDOW(dialog), NotFoundMessage(confirmed), {});
        chosen.clear();
        break;
      }
      chosen.push_back(resolved);
    }
  }
  gtk_widget_destroy(dialog);
  HandlePendingEvents();
  return chosen;
}

}  // namespace routelet
