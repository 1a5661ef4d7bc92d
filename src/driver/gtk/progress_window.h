#pragma once
// The small window that shows one line of progress while a conversion runs.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "driver/progress_window_layout.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkWindow GtkWindow;

namespace routelet {

class ProgressWindow : public ProgressWindowLayout {
 public:
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
  // Within kRedrawInterval of the last drawing, `text` is only kept as the pending text: the
  // next call after the interval, or Flush, shows the latest text then.
  void SetText(std::string_view text);

  // Draws the pending text now, if there is one: before anything that stops the run's calls
  // for a while (a message box, the end of the run), so that the window shows the last text.
  void Flush();

  // The label's text as GTK holds it.
  std::string Text() const;
  bool IsVisible() const;
  GtkWindow* Window() const;
  GtkWidget* Label() const;

 private:
  void Draw(std::string_view text);
  void PaintNow();

  GtkWidget* window_;
  GtkWidget* label_;
  bool drawn_ = false;
  std::optional<std::string> pending_;
  // When the label was last drawn; the clock's start (long ago) before the first time.
  std::chrono::steady_clock::time_point drawnAt_{};
};

}  // namespace routelet
