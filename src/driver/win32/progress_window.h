#pragma once
// The small modeless window that shows one line of progress while a conversion runs: the same
// size and redraw pace as the GTK one, scaled to the monitor's DPI.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "driver/progress_window_layout.h"
#include "platform/win32.h"

namespace routelet {

class Win32ProgressWindow : public ProgressWindowLayout {
 public:
  // Creates the window, titled "Routelet", without showing it.
  Win32ProgressWindow();
  ~Win32ProgressWindow();
  Win32ProgressWindow(const Win32ProgressWindow&) = delete;
  Win32ProgressWindow& operator=(const Win32ProgressWindow&) = delete;

  // Shows the window without waiting for the user, drawn before this returns.
  void Show();
  // Makes `text` the label's text and draws it now, unless the last drawing was within
  // kRedrawInterval: then it is kept, and the next call after the interval or Flush shows it.
  void SetText(std::string_view text);
  void Flush();

  HWND Window() const { return window_; }

 private:
  void Draw(std::string_view text);

  HWND window_ = nullptr;
  HWND label_ = nullptr;
  HFONT font_ = nullptr;
  std::optional<std::string> pending_;
  std::chrono::steady_clock::time_point drawnAt_{};
};

// Lets the window system handle the events pending now, without waiting.
void HandlePendingMessages();

// The UI font that shows Japanese at `dpi`: Yu Gothic UI, Meiryo UI or MS UI Gothic, whichever
// the system has, else the system's message font. The caller deletes it.
HFONT CreateJapaneseUiFont(UINT dpi);

}  // namespace routelet
