#include "driver/gtk/last_box.h"

#include <gtk/gtk.h>

#include "driver/console_front_end.h"
#include "driver/front_end.h"
#include "driver/gtk/display_text.h"
#include "driver/gtk/gtk_events.h"
#include "driver/gtk/message_box.h"
#include "driver/gtk/page_opener.h"
#include "platform/translations.h"

namespace routelet {

namespace {

enum Answer { kOpenPage = 1, kShowInFolder = 2 };

const char* T(const char* english) { return platform::TranslatedText(english); }

GtkWidget* WrappedLabel(const std::string& text) {
  GtkWidget* label = gtk_label_new(DisplayableText(text).c_str());
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 70);
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  // Selectable, so that a path or a problem can be copied.
  gtk_label_set_selectable(GTK_LABEL(label), TRUE);
  return label;
}

}  // namespace

GtkWidget* CreateLastBox(const LastWord& word) {
  GtkWidget* box = gtk_dialog_new_with_buttons(std::string(kAppTitle).c_str(), nullptr, GTK_DIALOG_MODAL,
                                               T("_Open the page"), kOpenPage, T("Show in _folder"), kShowInFolder,
                                               T("_Close"), GTK_RESPONSE_CLOSE, nullptr);
  gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_CLOSE);
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(box));
  gtk_box_set_spacing(GTK_BOX(content), 12);
  gtk_container_set_border_width(GTK_CONTAINER(content), 12);
  gtk_box_pack_start(GTK_BOX(content), WrappedLabel(word.Summary), FALSE, FALSE, 0);
  if (!word.TemplateProblems.empty()) {
    gtk_box_pack_start(GTK_BOX(content), WrappedLabel(TemplateProblemsText(word.TemplateProblems, kTemplateProblemsShown)), FALSE, FALSE, 0);
  }
  gtk_widget_show_all(content);
  // A selectable label would take the focus with its text selected; Close is where Return goes.
  gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_CLOSE));
  return box;
}

void RunLastBox(const LastWord& word) {
  GtkWidget* box = CreateLastBox(word);
  for (;;) {
    const int answer = gtk_dialog_run(GTK_DIALOG(box));
    if (answer != kOpenPage && answer != kShowInFolder) break;
    const std::optional<std::string> problem =
        answer == kOpenPage ? OpenWithDefaultHandler(word.PagePath) : ShowInFolder(word.PagePath);
    if (problem) RunMessageBox(GTK_WINDOW(box), *problem, {});
  }
  gtk_widget_destroy(box);
  HandlePendingEvents();
}

}  // namespace routelet
