#include "driver/gtk/progress_window.h"

#include <gtk/gtk.h>

#include "driver/front_end.h"
#include "driver/gtk/display_text.h"
#include "driver/gtk/gtk_events.h"

namespace routelet {

namespace {

// How long Show waits for the window system to map and draw the window. It normally takes a
// few milliseconds; the limit only keeps a stalled display from stopping the run.
constexpr std::chrono::milliseconds kShowLimit{2000};

gboolean NoteDrawn(GtkWidget*, cairo_t*, gpointer drawn) {
  *static_cast<bool*>(drawn) = true;
  return FALSE;
}

}  // namespace

ProgressWindow::ProgressWindow() : window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)), label_(gtk_label_new("")) {
  GtkWindow* window = GTK_WINDOW(window_);
  gtk_window_set_title(window, std::string(kAppTitle).c_str());
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  // Closing the window by hand only hides it: the run goes on and keeps setting its text.
  g_signal_connect(window_, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);
  g_signal_connect_after(window_, "draw", G_CALLBACK(NoteDrawn), &drawn_);

  // The label keeps its place and size whatever the text: a long text is cut short with an
  // ellipsis rather than widening the window. An ellipsizing label still asks for the whole
  // text's width as its natural width, which a window that cannot be resized would take; the
  // smallest maximum leaves the label's fixed size request as its natural width.
  GtkLabel* label = GTK_LABEL(label_);
  gtk_label_set_single_line_mode(label, TRUE);
  gtk_label_set_ellipsize(label, PANGO_ELLIPSIZE_END);
  gtk_label_set_max_width_chars(label, 1);
  gtk_label_set_xalign(label, 0.0f);
  gtk_label_set_yalign(label, 0.5f);
  gtk_widget_set_size_request(label_, kLabelWidth, kLabelHeight);

  GtkWidget* area = gtk_fixed_new();
  gtk_widget_set_size_request(area, kClientWidth, kClientHeight);
  gtk_fixed_put(GTK_FIXED(area), label_, kLabelX, kLabelY);
  gtk_container_add(GTK_CONTAINER(window_), area);
  gtk_widget_show_all(area);
}

ProgressWindow::~ProgressWindow() {
  gtk_widget_destroy(window_);
  HandlePendingEvents();
}

void ProgressWindow::Show() {
  Flush();
  gtk_widget_show(window_);
  HandleEventsUntil([this] { return drawn_; }, kShowLimit);
}

void ProgressWindow::SetText(std::string_view text) {
  // Handling events and drawing cost far more than the steps between two calls, so a run that
  // drew every text would spend most of its time here.
  if (std::chrono::steady_clock::now() - drawnAt_ < kRedrawInterval) {
    pending_.emplace(text);
    return;
  }
  Draw(text);
}

void ProgressWindow::Flush() {
  if (!pending_) return;
  const std::string text = std::move(*pending_);
  Draw(text);
}

void ProgressWindow::Draw(std::string_view text) {
  pending_.reset();
  gtk_label_set_text(GTK_LABEL(label_), DisplayableText(text).c_str());
  HandlePendingEvents();
  PaintNow();
  drawnAt_ = std::chrono::steady_clock::now();
}

void ProgressWindow::PaintNow() {
  GdkWindow* surface = gtk_widget_get_window(window_);
  if (surface == nullptr || !gtk_widget_get_mapped(window_)) return;
  // GTK normally paints on its frame clock, at most once per display frame, so a text set
  // just after a paint would wait for a frame that only comes at the next handling of events.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gdk_window_process_updates(surface, TRUE);
  G_GNUC_END_IGNORE_DEPRECATIONS
  gdk_display_flush(gdk_window_get_display(surface));
}

std::string ProgressWindow::Text() const { return gtk_label_get_text(GTK_LABEL(label_)); }

bool ProgressWindow::IsVisible() const { return gtk_widget_get_visible(window_); }

GtkWindow* ProgressWindow::Window() const { return GTK_WINDOW(window_); }

GtkWidget* ProgressWindow::Label() const { return label_; }

}  // namespace routelet
