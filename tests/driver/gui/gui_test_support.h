#pragma once
// Helpers for tests that open real windows. They run on a virtual display of their own (see
// with_xvfb.sh); without a display every such test is skipped.
#include <gtk/gtk.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "driver/gtk/gtk_events.h"

namespace routelet::testing {

// Opens the display once for the whole test program; false when there is none.
inline bool DisplayAvailable() {
  static const bool available = gtk_init_check(nullptr, nullptr);
  return available;
}

#define ROUTELET_REQUIRE_DISPLAY() \
  if (!::routelet::testing::DisplayAvailable()) GTEST_SKIP() << "no X display could be opened"

// Lets the window system work for `time`: layout, drawing and mapping all happen by then.
inline void Settle(std::chrono::milliseconds time = std::chrono::milliseconds(100)) {
  HandleEventsUntil([] { return false; }, time);
}

// The program's visible top-level windows titled `title`.
inline std::vector<GtkWindow*> VisibleWindowsTitled(const std::string& title) {
  std::vector<GtkWindow*> found;
  GList* all = gtk_window_list_toplevels();
  for (GList* item = all; item != nullptr; item = item->next) {
    GtkWindow* window = GTK_WINDOW(item->data);
    const char* windowTitle = gtk_window_get_title(window);
    if (windowTitle != nullptr && title == windowTitle && gtk_widget_get_visible(GTK_WIDGET(window))) {
      found.push_back(window);
    }
  }
  g_list_free(all);
  return found;
}

// The first label found under `widget` (depth first), or null.
inline GtkLabel* FirstLabelIn(GtkWidget* widget) {
  if (GTK_IS_LABEL(widget)) return GTK_LABEL(widget);
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GtkLabel* found = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList* child = children; child != nullptr && found == nullptr; child = child->next) {
    found = FirstLabelIn(GTK_WIDGET(child->data));
  }
  g_list_free(children);
  return found;
}

// Runs `act` from the main loop once, `delay` from now: the way a test plays the user while
// the code under test sits in a modal dialog.
class LaterAction {
 public:
  LaterAction(std::chrono::milliseconds delay, std::function<void()> act) : act_(std::move(act)) {
    id_ = g_timeout_add(static_cast<guint>(delay.count()), &LaterAction::Fire, this);
  }
  ~LaterAction() {
    if (!fired_) g_source_remove(id_);
  }
  LaterAction(const LaterAction&) = delete;
  LaterAction& operator=(const LaterAction&) = delete;

  bool fired() const { return fired_; }

 private:
  static gboolean Fire(gpointer self) {
    auto* action = static_cast<LaterAction*>(self);
    action->fired_ = true;
    action->act_();
    return G_SOURCE_REMOVE;
  }

  std::function<void()> act_;
  guint id_ = 0;
  bool fired_ = false;
};

}  // namespace routelet::testing
