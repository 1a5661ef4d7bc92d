#include "driver/win32/window_class.h"

namespace routelet {

void RegisterWindowClassOnce(const wchar_t* name, WNDPROC procedure) {
  const HINSTANCE program = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExW(program, name, &windowClass)) return;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = program;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = LoadIconW(program, MAKEINTRESOURCEW(1));
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
}

}  // namespace routelet
