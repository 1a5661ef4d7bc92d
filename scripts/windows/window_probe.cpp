// Looks at another program's windows from inside wine (or Windows), for the desktop test and for
// a person checking the windows by hand: finds a window by its title and class, tells what its
// controls say (the texts of a message box, the filters of a file dialog's list), and presses a
// dialog's buttons. Texts are printed as UTF-8, one control per line.
//   window_probe wait TITLE CLASS SECONDS   the first visible window titled TITLE of CLASS (such as
//                                           #32770 for dialogs), waited for up to SECONDS:
//                                           prints "HANDLE X Y WIDTH HEIGHT"; exit 1 when none came
//   window_probe texts HANDLE               "CLASS ID TEXT" of each control, "item TEXT" for each
//                                           entry of a list or combo box
//   window_probe set HANDLE ID TEXT         sets the text of the dialog's controls numbered ID
//   window_probe press HANDLE ID            presses the dialog's button ID (1 OK, 2 Cancel)
//   window_probe move HANDLE X Y            moves the window (so that it covers no other)
// Built by tests/windows/desktop_test.sh: x86_64-w64-mingw32-g++-posix -municode -static.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>

namespace {

void PrintUtf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  std::fputs(bytes.c_str(), stdout);
}

std::wstring WindowText(HWND window) {
  wchar_t text[4096] = L"";
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  return name;
}

struct Wanted {
  const wchar_t* Title;
  const wchar_t* Class;
  HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM wantedAddress) {
  auto& wanted = *reinterpret_cast<Wanted*>(wantedAddress);
  if (IsWindowVisible(window) && WindowText(window) == wanted.Title && ClassOf(window) == wanted.Class) {
    wanted.Found = window;
    return FALSE;
  }
  return TRUE;
}

// Polls every 20 ms: the program under test opens its windows in its own time.
int WaitForWindow(const wchar_t* title, const wchar_t* windowClass, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  Wanted wanted{title, windowClass, nullptr};
  while (EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&wanted)), wanted.Found == nullptr) {
    if (std::chrono::steady_clock::now() > deadline) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  RECT frame{};
  GetWindowRect(wanted.Found, &frame);
  std::printf("%llu %ld %ld %ld %ld\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(wanted.Found)),
              frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
  return 0;
}

// The entries of a list (LB_*) or combo box (CB_*): the same messages 0x146/0x148/0x149 for a
// combo box, 0x18B/0x189/0x18A for a list box.
void PrintItems(HWND control, UINT countMessage, UINT textMessage, UINT lengthMessage) {
  const LRESULT count = SendMessageW(control, countMessage, 0, 0);
  for (LRESULT item = 0; item < count; ++item) {
    std::wstring text(static_cast<size_t>(SendMessageW(control, lengthMessage, item, 0)) + 1, L'\0');
    SendMessageW(control, textMessage, item, reinterpret_cast<LPARAM>(text.data()));
    PrintUtf8(L"item " + std::wstring(text.c_str()) + L"\n");
  }
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
  const std::wstring name = ClassOf(control);
  PrintUtf8(name + L" " + std::to_wstring(GetDlgCtrlID(control)) + L" " + WindowText(control) + L"\n");
  if (name == L"ComboBox") PrintItems(control, CB_GETCOUNT, CB_GETLBTEXT, CB_GETLBTEXTLEN);
  if (name == L"ListBox") PrintItems(control, LB_GETCOUNT, LB_GETTEXT, LB_GETTEXTLEN);
  return TRUE;
}

struct NewText {
  int Id;
  const wchar_t* Text;
  bool Set;
};

// Every control with the ID below the dialog gets the text: a combo box's name field is three
// windows deep (ComboBoxEx32, ComboBox, Edit), all with the same ID.
BOOL CALLBACK SetControlText(HWND control, LPARAM newTextAddress) {
  auto& newText = *reinterpret_cast<NewText*>(newTextAddress);
  if (GetDlgCtrlID(control) == newText.Id) {
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(newText.Text), SMTO_ABORTIFHUNG, 5000, nullptr);
    newText.Set = true;
  }
  return TRUE;
}

HWND HandleFrom(const wchar_t* text) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(text, nullptr, 10))); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"wait" && argc == 5) return WaitForWindow(argv[2], argv[3], std::wcstod(argv[4], nullptr));
  if (command == L"texts" && argc == 3) return EnumChildWindows(HandleFrom(argv[2]), PrintControl, 0), 0;
  if (command == L"set" && argc == 5) {
    NewText newText{static_cast<int>(std::wcstol(argv[3], nullptr, 10)), argv[4], false};
    EnumChildWindows(HandleFrom(argv[2]), SetControlText, reinterpret_cast<LPARAM>(&newText));
    return newText.Set ? 0 : 1;
  }
  if (command == L"press" && argc == 4) {
    return PostMessageW(HandleFrom(argv[2]), WM_COMMAND, MAKEWPARAM(std::wcstol(argv[3], nullptr, 10), BN_CLICKED), 0) ? 0 : 1;
  }
  if (command == L"move" && argc == 5) {
    return SetWindowPos(HandleFrom(argv[2]), nullptr, std::wcstol(argv[3], nullptr, 10), std::wcstol(argv[4], nullptr, 10), 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
               ? 0
               : 1;
  }
  std::fputs("usage: window_probe wait TITLE CLASS SECONDS | texts HANDLE | set HANDLE ID TEXT | press HANDLE ID | move HANDLE X Y\n",
             stderr);
  return 2;
}
