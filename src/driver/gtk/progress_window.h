#pragma once
// The small window that shows one line of progress while a conversion runs.
#include <string>
#include <string_view>

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkWindow GtkWindow;

namespace routelet {

class ProgressWindow {
 public:
  // The window's inside and its one label, in pixels.
  static constexpr int kClientWidth = 281;
  static constexpr int kClientHeight = 40;
  static constexpr int kLabelX = 8;
  static constexpr int kLabelY = 8;
  static constexpr int kLabelWidth = 265;
  static constexpr int kLabelHeight = 25;

  // Creates the window, titled "Routelet", without showing it.
  ProgressWindow();
  // Destroys the window and lets the window system take it off the screen.
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Shows the window without waiting for the user, and returns once the window system has
  // put it on the screen and it has been drawn (or after a short time limit), so that it is
  // there even when the run goes straight into a long stretch without events.
  void Show();

  // Makes `text` the label's whole text, lets the window system handle the events pending at
  // this moment (one pass, no waiting) and draws the window right away. GTK would otherwise
  // draw on its next display frame, which never comes while the run is busy, and the window
  // would keep showing an older text (or none) until the next call.
  void SetText(std::string_view text);

  // The label's text as GTK holds it.
  std::string Text() const;
  bool IsVisible() const;
  GtkWindow* Window() const;
  GtkWidget* Label() const;

 private:
  void PaintNow();

  GtkWidget* window_;
  GtkWidget* label_;
  bool drawn_ = false;
};

}  // namespace routelet
