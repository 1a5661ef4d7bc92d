#include "driver/gtk/message_box.h"

#include <gtk/gtk.h>

#include <string>

#include "driver/front_end.h"
#include "driver/gtk/display_text.h"
#include "driver/gtk/gtk_events.h"

namespace routelet {

GtkWidget* CreateMessageBox(GtkWindow* parent, std::string_view text, std::string_view title) {
  // The text goes in through "%s": a path may hold "%", which must not be read as a format.
  GtkWidget* box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s",
                                          DisplayableText(text).c_str());
  const std::string shownTitle = DisplayableText(title.empty() ? kAppTitle : title);
  gtk_window_set_title(GTK_WINDOW(box), shownTitle.c_str());
  gtk_window_set_position(GTK_WINDOW(box), parent != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);

  // The message label wraps at word boundaries only; a path has none, so let it break anywhere.
  GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box));
  GList* children = gtk_container_get_children(GTK_CONTAINER(area));
  for (GList* child = children; child != nullptr; child = child->next) {
    if (GTK_IS_LABEL(child->data)) gtk_label_set_line_wrap_mode(GTK_LABEL(child->data), PANGO_WRAP_WORD_CHAR);
  }
  g_list_free(children);
  return box;
}

void RunMessageBox(GtkWindow* parent, std::string_view text, std::string_view title) {
  GtkWidget* box = CreateMessageBox(parent, text, title);
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  HandlePendingEvents();
}

}  // namespace routelet
