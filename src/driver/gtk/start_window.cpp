#include "driver/gtk/start_window.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "driver/gtk/display_text.h"
#include "driver/gtk/gtk_events.h"
#include "driver/gtk/log_chooser.h"
#include "driver/gtk/message_box.h"
#include "driver/gtk/window_fit.h"
#include "platform/translations.h"

namespace routelet {

namespace {

const char* T(const char* english) { return platform::TranslatedText(english); }

// The system's zone as the camera zone takes it: its name when GLib knows one, else nothing.
std::string SystemZoneName() {
  GTimeZone* local = g_time_zone_new_local();
  std::string name = g_time_zone_get_identifier(local);
  g_time_zone_unref(local);
  // "Local time" or a path such as ":/etc/localtime" is no name a zone can be found by.
  if (name.empty() || name.find(':') != std::string::npos || name.front() == '/' || name == "UTC") return {};
  return name;
}

// A list of paths with Add and Remove buttons beside it.
struct PathList {
  GtkWidget* View = nullptr;
  GtkListStore* Store = nullptr;
  GtkWidget* Box = nullptr;
  GtkWidget* Add = nullptr;
  GtkWidget* Remove = nullptr;
  GtkWidget* Buttons = nullptr;
};

void AddPath(PathList& list, const std::string& path) {
  GtkTreeIter row;
  gtk_list_store_append(list.Store, &row);
  // Column 0 keeps the path as the file system spells it; column 1 is what can be shown of it.
  gtk_list_store_set(list.Store, &row, 0, path.c_str(), 1, DisplayableText(path).c_str(), -1);
}

std::vector<std::string> Paths(const PathList& list) {
  std::vector<std::string> paths;
  GtkTreeIter row;
  for (gboolean more = gtk_tree_model_get_iter_first(GTK_TREE_MODEL(list.Store), &row); more;
       more = gtk_tree_model_iter_next(GTK_TREE_MODEL(list.Store), &row)) {
    gchar* path = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(list.Store), &row, 0, &path, -1);
    paths.emplace_back(path);
    g_free(path);
  }
  return paths;
}

void RemoveSelected(GtkButton*, gpointer data) {
  auto& list = *static_cast<PathList*>(data);
  GtkTreeIter row;
  if (gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(list.View)), nullptr, &row)) {
    gtk_list_store_remove(list.Store, &row);
  }
}

// Names a widget for assistive technology, as its label does for the eye.
void NameForAccess(GtkWidget* widget, const char* name) {
  if (AtkObject* accessible = gtk_widget_get_accessible(widget)) atk_object_set_name(accessible, name);
}

PathList MakePathList(const char* accessibleName, const std::vector<std::string>& paths) {
  PathList list;
  list.Store = gtk_list_store_new(2, G_TYPE_STRING, G_TYPE_STRING);
  list.View = gtk_tree_view_new_with_model(GTK_TREE_MODEL(list.Store));
  g_object_unref(list.Store);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(list.View), FALSE);
  GtkCellRenderer* text = gtk_cell_renderer_text_new();
  g_object_set(text, "ellipsize", PANGO_ELLIPSIZE_START, nullptr);
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(list.View), -1, "", text, "text", 1, nullptr);
  NameForAccess(list.View, accessibleName);
  for (const std::string& path : paths) AddPath(list, path);

  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(scrolled), 64);
  gtk_widget_set_hexpand(scrolled, TRUE);
  gtk_container_add(GTK_CONTAINER(scrolled), list.View);
  list.Add = gtk_button_new_with_mnemonic("");
  list.Remove = gtk_button_new_with_label(T("Remove"));
  list.Buttons = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  gtk_box_pack_start(GTK_BOX(list.Buttons), list.Add, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(list.Buttons), list.Remove, FALSE, FALSE, 0);
  list.Box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_box_pack_start(GTK_BOX(list.Box), scrolled, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(list.Box), list.Buttons, FALSE, FALSE, 0);
  return list;
}

// Shows a path chooser until it is answered: the confirmed paths, or none on cancel.
std::vector<std::string> ChoosePaths(GtkWindow* parent, const char* title, bool folders, const char* acceptLabel, bool several) {
  GtkWidget* dialog = CreatePathChooser(parent, title, folders, acceptLabel, several);
  std::vector<std::string> paths;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) paths = ConfirmedPaths(dialog);
  gtk_widget_destroy(dialog);
  HandlePendingEvents();
  return paths;
}

struct StartWindow {
  GtkWidget* Dialog = nullptr;
  PathList Logs;
  PathList Folders;
  GtkWidget* Zone = nullptr;
  GtkWidget* Shift = nullptr;
  GtkWidget* Template = nullptr;
  GtkWidget* Open = nullptr;
};

GtkWindow* WindowOf(GtkWidget* widget) { return GTK_WINDOW(gtk_widget_get_toplevel(widget)); }

void AddLogs(GtkButton* button, gpointer data) {
  auto& list = *static_cast<PathList*>(data);
  for (const std::string& log : RunLogChooser(WindowOf(GTK_WIDGET(button)))) AddPath(list, log);
}

void AddFolders(GtkButton* button, gpointer data) {
  auto& list = *static_cast<PathList*>(data);
  for (const std::string& folder : ChoosePaths(WindowOf(GTK_WIDGET(button)), T("Photo folders"),
                                               true, T("_Select"), true)) {
    AddPath(list, folder);
  }
}

void ChooseTemplateFile(GtkButton* button, gpointer data) {
  GtkComboBoxText* combo = GTK_COMBO_BOX_TEXT(data);
  const std::vector<std::string> chosen =
      ChoosePaths(WindowOf(GTK_WIDGET(button)), T("Template"), false, T("_Open"), false);
  if (chosen.empty()) return;
  gtk_combo_box_text_append(combo, chosen.front().c_str(), DisplayableText(chosen.front()).c_str());
  gtk_combo_box_set_active_id(GTK_COMBO_BOX(combo), chosen.front().c_str());
}

// The zone field: a list of zones (the value, and in the list what it stands for) with a field
// for any other.
GtkWidget* MakeZoneField(const std::string& chosen) {
  GtkListStore* zones = gtk_list_store_new(2, G_TYPE_STRING, G_TYPE_STRING);
  const auto add = [&](const std::string& value, const std::string& meaning) {
    GtkTreeIter row;
    gtk_list_store_append(zones, &row);
    gtk_list_store_set(zones, &row, 0, value.c_str(), 1, meaning.c_str(), -1);
  };
  if (const std::string system = SystemZoneName(); !system.empty()) add(system, T("this computer's zone"));
  for (const auto& [value, meaning] : kOfferedCameraZones) add(value, T(meaning));
  GtkWidget* combo = gtk_combo_box_new_with_model_and_entry(GTK_TREE_MODEL(zones));
  g_object_unref(zones);
  gtk_combo_box_set_entry_text_column(GTK_COMBO_BOX(combo), 0);
  GtkCellRenderer* meaning = gtk_cell_renderer_text_new();
  g_object_set(meaning, "foreground", "gray", nullptr);
  gtk_cell_layout_pack_start(GTK_CELL_LAYOUT(combo), meaning, FALSE);
  gtk_cell_layout_add_attribute(GTK_CELL_LAYOUT(combo), meaning, "text", 1);
  GtkEntry* entry = GTK_ENTRY(gtk_bin_get_child(GTK_BIN(combo)));
  gtk_entry_set_text(entry, chosen.empty() ? "+09:00" : DisplayableText(chosen).c_str());
  return combo;
}

GtkWidget* MakeTemplateField(const StartRequest& request) {
  GtkWidget* combo = gtk_combo_box_text_new();
  GtkComboBoxText* text = GTK_COMBO_BOX_TEXT(combo);
  gtk_combo_box_text_append(text, "", T("the usual template (template.dat)"));
  bool known = request.Choices.Template.empty();
  for (const ShippedTemplate& shipped : request.Templates) {
    gtk_combo_box_text_append(text, shipped.Path.c_str(), DisplayableText(shipped.Name).c_str());
    known = known || shipped.Path == request.Choices.Template;
  }
  if (!known) gtk_combo_box_text_append(text, request.Choices.Template.c_str(), DisplayableText(request.Choices.Template).c_str());
  gtk_combo_box_set_active_id(GTK_COMBO_BOX(combo), request.Choices.Template.c_str());
  gtk_widget_set_hexpand(combo, TRUE);
  return combo;
}

// Puts `field` in the grid's row `row` under a label with a mnemonic that gives it the focus,
// and names it by that label.
void AddRow(GtkGrid* grid, int row, const char* label, GtkWidget* field, GtkWidget* focused) {
  GtkWidget* caption = gtk_label_new_with_mnemonic(label);
  gtk_label_set_xalign(GTK_LABEL(caption), 0.0f);
  gtk_widget_set_valign(caption, GTK_ALIGN_START);
  gtk_widget_set_margin_top(caption, 6);
  gtk_label_set_mnemonic_widget(GTK_LABEL(caption), focused);
  NameForAccess(focused, gtk_label_get_text(GTK_LABEL(caption)));
  gtk_grid_attach(grid, caption, 0, row, 1, 1);
  gtk_grid_attach(grid, field, 1, row, 1, 1);
}

GtkWidget* Note(const char* text) {
  GtkWidget* note = gtk_label_new(text);
  gtk_label_set_xalign(GTK_LABEL(note), 0.0f);
  gtk_label_set_line_wrap(GTK_LABEL(note), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(note), 60);
  gtk_style_context_add_class(gtk_widget_get_style_context(note), "dim-label");
  return note;
}

GtkWidget* Column(GtkWidget* field, const char* note) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
  gtk_box_pack_start(GTK_BOX(box), field, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), Note(note), FALSE, FALSE, 0);
  return box;
}

void BuildFields(StartWindow& window, const StartRequest& request) {
  const StartChoices& choices = request.Choices;
  GtkWidget* grid = gtk_grid_new();
  GtkGrid* rows = GTK_GRID(grid);
  gtk_grid_set_row_spacing(rows, 10);
  gtk_grid_set_column_spacing(rows, 12);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 12);

  window.Logs = MakePathList(T("Log files"), choices.Logs);
  gtk_button_set_label(GTK_BUTTON(window.Logs.Add), T("_Add logs…"));
  AddRow(rows, 0, T("_Log files:"), window.Logs.Box, window.Logs.View);

  window.Folders = MakePathList(T("Photo folders"), choices.PhotoFolders);
  gtk_button_set_label(GTK_BUTTON(window.Folders.Add), T("Add _folder…"));
  AddRow(rows, 1, T("_Photo folders:"),
         Column(window.Folders.Box, T("None: the photos in the first log's folder and its subfolders.")),
         window.Folders.View);

  // Both lists the same width, their buttons in one column.
  GtkSizeGroup* buttonColumn = gtk_size_group_new(GTK_SIZE_GROUP_HORIZONTAL);
  gtk_size_group_add_widget(buttonColumn, window.Logs.Buttons);
  gtk_size_group_add_widget(buttonColumn, window.Folders.Buttons);
  g_object_unref(buttonColumn);

  window.Zone = MakeZoneField(choices.CameraZone);
  AddRow(rows, 2, T("Camera _zone:"),
         Column(window.Zone, T("For photos that do not state their own offset from UTC: +hh:mm, -hh:mm, UTC or a "
                               "zone name such as Europe/Rome.")),
         window.Zone);

  window.Shift = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(window.Shift), DisplayableText(choices.CameraShift).c_str());
  gtk_entry_set_placeholder_text(GTK_ENTRY(window.Shift), "0");
  AddRow(rows, 3, T("Camera _shift:"),
         Column(window.Shift, T("Seconds, or [-]hh:mm:ss, added to every camera time: positive for a clock that runs "
                                "slow.")),
         window.Shift);

  window.Template = MakeTemplateField(request);
  GtkWidget* other = gtk_button_new_with_mnemonic(T("_Browse…"));
  g_signal_connect(other, "clicked", G_CALLBACK(ChooseTemplateFile), window.Template);
  GtkWidget* templateRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_box_pack_start(GTK_BOX(templateRow), window.Template, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(templateRow), other, FALSE, FALSE, 0);
  AddRow(rows, 4, T("_Template:"), templateRow, window.Template);

  window.Open = gtk_check_button_new_with_mnemonic(T("Open the page when _done"));
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(window.Open), choices.OpenPage);
  gtk_grid_attach(rows, window.Open, 1, 5, 1, 1);

  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(window.Dialog))), grid, TRUE, TRUE, 0);
  gtk_widget_show_all(grid);
}

void ConnectButtons(StartWindow& window) {
  g_signal_connect(window.Logs.Add, "clicked", G_CALLBACK(AddLogs), &window.Logs);
  g_signal_connect(window.Logs.Remove, "clicked", G_CALLBACK(RemoveSelected), &window.Logs);
  g_signal_connect(window.Folders.Add, "clicked", G_CALLBACK(AddFolders), &window.Folders);
  g_signal_connect(window.Folders.Remove, "clicked", G_CALLBACK(RemoveSelected), &window.Folders);
}

std::string EntryText(GtkWidget* entry) { return gtk_entry_get_text(GTK_ENTRY(entry)); }

StartChoices ChoicesOf(const StartWindow& window) {
  StartChoices choices;
  choices.Logs = Paths(window.Logs);
  choices.PhotoFolders = Paths(window.Folders);
  choices.CameraZone = EntryText(gtk_bin_get_child(GTK_BIN(window.Zone)));
  choices.CameraShift = EntryText(window.Shift);
  const gchar* templatePath = gtk_combo_box_get_active_id(GTK_COMBO_BOX(window.Template));
  choices.Template = templatePath != nullptr ? templatePath : "";
  choices.OpenPage = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(window.Open));
  return choices;
}

}  // namespace

bool RunStartWindow(StartRequest& request) {
  StartWindow window;
  window.Dialog = gtk_dialog_new_with_buttons(std::string(kAppTitle).c_str(), nullptr, GTK_DIALOG_MODAL, T("_Close"),
                                              GTK_RESPONSE_CLOSE, T("Con_vert"), GTK_RESPONSE_ACCEPT, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(window.Dialog), GTK_RESPONSE_ACCEPT);
  gtk_window_set_position(GTK_WINDOW(window.Dialog), GTK_WIN_POS_CENTER);
  BuildFields(window, request);
  ConnectButtons(window);
  FitToWorkArea(GTK_WINDOW(window.Dialog));
  gtk_widget_grab_focus(window.Logs.Add);
  bool convert = false;
  while (gtk_dialog_run(GTK_DIALOG(window.Dialog)) == GTK_RESPONSE_ACCEPT) {
    StartChoices choices = ChoicesOf(window);
    if (const std::string problem = request.ProblemWith(choices); !problem.empty()) {
      RunMessageBox(GTK_WINDOW(window.Dialog), problem, {});
      continue;
    }
    request.Choices = std::move(choices);
    convert = true;
    break;
  }
  gtk_widget_destroy(window.Dialog);
  HandlePendingEvents();
  return convert;
}

}  // namespace routelet
