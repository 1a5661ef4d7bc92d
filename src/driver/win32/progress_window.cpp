#include "driver/win32/progress_window.h"

#include "driver/front_end.h"
#include "driver/win32/window_class.h"

namespace routelet {
namespace {

constexpr wchar_t kClassName[] = L"RouteletProgress";

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Closing the window by hand only hides it: the run goes on and keeps setting its text.
  if (message == WM_CLOSE) {
    ShowWindow(window, SW_HIDE);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int FontExists(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

void HandlePendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

HFONT CreateJapaneseUiFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  font.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);  // 9 points
  const HDC screen = GetDC(nullptr);
  for (const wchar_t* face : {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(screen, &wanted, FontExists, reinterpret_cast<LPARAM>(&found), 0);
    if (found) {
      lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
      font.lfCharSet = SHIFTJIS_CHARSET;
      break;
    }
  }
  ReleaseDC(nullptr, screen);
  return CreateFontIndirectW(&font);
}

Win32ProgressWindow::Win32ProgressWindow() {
  RegisterWindowClassOnce(kClassName, ProgressProc);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  window_ = CreateWindowExW(0, kClassName, platform::Wide(kAppTitle).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  // Per-monitor DPI awareness (from the manifest): sizes are scaled to the window's monitor.
  const UINT dpi = GetDpiForWindow(window_) != 0 ? GetDpiForWindow(window_) : 96;
  const auto scaled = [&](int pixels) { return MulDiv(pixels, static_cast<int>(dpi), 96); };
  RECT frame{0, 0, scaled(kClientWidth), scaled(kClientHeight)};
  AdjustWindowRectExForDpi(&frame, style, FALSE, 0, dpi);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Centred on the screen, as the GTK window is.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  // One line, cut short with an ellipsis rather than widening the window.
  label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX,
                           scaled(kLabelX), scaled(kLabelY), scaled(kLabelWidth), scaled(kLabelHeight), window_, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  font_ = CreateJapaneseUiFont(dpi);
  SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

Win32ProgressWindow::~Win32ProgressWindow() {
  DestroyWindow(window_);
  DeleteObject(font_);
  HandlePendingMessages();
}

void Win32ProgressWindow::Show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  HandlePendingMessages();
}

void Win32ProgressWindow::SetText(std::string_view text) {
  const auto now = std::chrono::steady_clock::now();
  if (now - drawnAt_ < kRedrawInterval) {
    pending_ = std::string(text);
    return;
  }
  Draw(text);
}

void Win32ProgressWindow::Flush() {
  if (pending_) Draw(*pending_);
}

void Win32ProgressWindow::Draw(std::string_view text) {
  pending_.reset();
  SetWindowTextW(label_, platform::Wide(text).c_str());
  UpdateWindow(label_);
  HandlePendingMessages();
  drawnAt_ = std::chrono::steady_clock::now();
}

}  // namespace routelet
