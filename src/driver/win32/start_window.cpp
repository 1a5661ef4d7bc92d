#include "driver/win32/start_window.h"

#include <shlobj.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "driver/win32/progress_window.h"
#include "driver/win32/window_class.h"
#include "platform/translations.h"

namespace routelet {
namespace {

constexpr wchar_t kClassName[] = L"RouteletStart";

// Control identifiers; IDOK and IDCANCEL are Convert and Close, so that Return and Escape press them.
enum : int {
  kLogs = 100, kAddLogs, kRemoveLog, kFolders, kAddFolder, kRemoveFolder, kZone, kShift, kTemplate,
  kBrowse, kOpen, kOpenPage, kShowInFolder
};

// A text of the program in the user's language, its "_" mnemonic written as Windows writes it.
std::wstring Label(const char* english) {
  std::wstring text;
  for (const wchar_t c : platform::Wide(platform::TranslatedText(english))) {
    if (c == L'&') text += L"&&";
    else text += c == L'_' ? L'&' : c;
  }
  return text;
}

// The window being shown, its answer and its controls' font; one at a time, as both are modal.
struct Form {
  HWND Window = nullptr;
  HFONT Font = nullptr;
  UINT Dpi = 96;
  int Answer = 0;  // the command that ended it; 0 while it is shown
  std::function<bool(int)> OnCommand;  // true when the command ends the window
};
Form* shown = nullptr;

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (shown != nullptr && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    const int command = LOWORD(wParam);
    if (shown->OnCommand(command)) shown->Answer = command;
    return 0;
  }
  if (shown != nullptr && message == WM_CLOSE) {
    shown->Answer = IDCANCEL;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int Scaled(const Form& form, int pixels) { return MulDiv(pixels, static_cast<int>(form.Dpi), 96); }

// Creates the window, `width` x `height` at 96 DPI, centred on the work area.
void OpenForm(Form& form, int width, int height) {
  RegisterWindowClassOnce(kClassName, FormProc);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  form.Window = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, platform::Wide(kAppTitle).c_str(), style, CW_USEDEFAULT,
                                CW_USEDEFAULT, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  form.Dpi = GetDpiForWindow(form.Window) != 0 ? GetDpiForWindow(form.Window) : 96;
  form.Font = CreateJapaneseUiFont(form.Dpi);
  RECT frame{0, 0, Scaled(form, width), Scaled(form, height)};
  AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_CONTROLPARENT, form.Dpi);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  SetWindowPos(form.Window, nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A control at (x, y), w x h at 96 DPI; created in the order Tab goes through them.
HWND Add(const Form& form, const wchar_t* kind, const std::wstring& text, DWORD style, int id, int x, int y, int w, int h) {
  HWND control = CreateWindowExW(0, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, Scaled(form, x), Scaled(form, y),
                                 Scaled(form, w), Scaled(form, h), form.Window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(form.Font), FALSE);
  return control;
}

HWND Button(const Form& form, const char* text, int id, int x, int y, int w, DWORD style = BS_PUSHBUTTON) {
  return Add(form, L"BUTTON", Label(text), WS_TABSTOP | style, id, x, y, w, 26);
}

// Shows the form and handles its messages until a command ends it; Tab, the mnemonics, Return
// and Escape work as in a dialog.
int RunForm(Form& form, HWND focus) {
  Form* before = shown;
  shown = &form;
  ShowWindow(form.Window, SW_SHOWNORMAL);
  SetForegroundWindow(form.Window);
  SetFocus(focus);
  MSG message;
  while (form.Answer == 0 && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(form.Window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  shown = before;
  DestroyWindow(form.Window);
  DeleteObject(form.Font);
  HandlePendingMessages();
  return form.Answer;
}

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::vector<std::string> Items(HWND list) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT k = 0; k < count; ++k) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, k, 0)) + 1, L'\0');
    item.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, k, reinterpret_cast<LPARAM>(item.data()))));
    items.push_back(platform::Narrow(item));
  }
  return items;
}

void AddItem(HWND list, const std::string& item) {
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Wide(item).c_str()));
}

void RemoveSelected(HWND list) {
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected != LB_ERR) SendMessageW(list, LB_DELETESTRING, selected, 0);
}

std::string ChooseFolder(HWND owner) {
  const std::wstring title = platform::Wide(platform::TranslatedText("Photo folders"));
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return {};
  wchar_t path[MAX_PATH] = L"";
  const bool named = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  return named ? platform::Narrow(path) : std::string();
}

std::string ChooseTemplateFile(HWND owner) {
  std::wstring buffer(32768, L'\0');
  const std::wstring title = platform::Wide(platform::TranslatedText("Template"));
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"*.dat\0*.dat\0*.*\0*.*\0\0";
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return {};
  return platform::Narrow(buffer.c_str());
}

// The start window's controls that hold the choices.
struct StartControls {
  HWND Logs, Folders, Zone, Shift, Template, Open;
  std::vector<std::string> TemplatePaths;  // by the template list's index
};

StartChoices ChoicesOf(const StartControls& controls) {
  StartChoices choices;
  choices.Logs = Items(controls.Logs);
  choices.PhotoFolders = Items(controls.Folders);
  choices.CameraZone = platform::Narrow(TextOf(controls.Zone));
  choices.CameraShift = platform::Narrow(TextOf(controls.Shift));
  const LRESULT chosen = SendMessageW(controls.Template, CB_GETCURSEL, 0, 0);
  if (chosen >= 0 && static_cast<std::size_t>(chosen) < controls.TemplatePaths.size()) {
    choices.Template = controls.TemplatePaths[static_cast<std::size_t>(chosen)];
  }
  choices.OpenPage = SendMessageW(controls.Open, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return choices;
}

void AddTemplate(StartControls& controls, const std::string& name, const std::string& path) {
  SendMessageW(controls.Template, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Wide(name).c_str()));
  controls.TemplatePaths.push_back(path);
}

void FillTemplates(StartControls& controls, const StartRequest& request) {
  AddTemplate(controls, platform::TranslatedText("the usual template (template.dat)"), "");
  for (const ShippedTemplate& shipped : request.Templates) AddTemplate(controls, shipped.Name, shipped.Path);
  const std::string& chosen = request.Choices.Template;
  auto at = std::find(controls.TemplatePaths.begin(), controls.TemplatePaths.end(), chosen);
  if (at == controls.TemplatePaths.end()) {
    AddTemplate(controls, chosen, chosen);
    at = controls.TemplatePaths.end() - 1;
  }
  SendMessageW(controls.Template, CB_SETCURSEL, static_cast<WPARAM>(at - controls.TemplatePaths.begin()), 0);
}

void FillZones(HWND zone, const std::string& chosen) {
  for (const OfferedCameraZone& offered : kOfferedCameraZones) {
    SendMessageW(zone, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Wide(offered.Zone).c_str()));
  }
  SetWindowTextW(zone, chosen.empty() ? L"+09:00" : platform::Wide(chosen).c_str());
}

// A label and the note under a field.
void Caption(const Form& form, const char* text, int y) { Add(form, L"STATIC", Label(text), 0, -1, 12, y + 4, 130, 20); }
void Note(const Form& form, const char* text, int y) {
  Add(form, L"STATIC", platform::Wide(platform::TranslatedText(text)), SS_NOPREFIX, -1, 150, y, 440, 32);
}

}  // namespace

bool RunWin32StartWindow(StartRequest& request) {
  Form form;
  OpenForm(form, 600, 470);
  const StartChoices& choices = request.Choices;
  StartControls controls{};
  const DWORD list = WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
  Caption(form, "_Log files:", 12);
  controls.Logs = Add(form, L"LISTBOX", L"", list, kLogs, 150, 12, 320, 64);
  HWND addLogs = Button(form, "_Add logs…", kAddLogs, 480, 12, 110);
  Button(form, "Remove", kRemoveLog, 480, 44, 110);
  Caption(form, "_Photo folders:", 88);
  controls.Folders = Add(form, L"LISTBOX", L"", list, kFolders, 150, 88, 320, 64);
  Button(form, "Add _folder…", kAddFolder, 480, 88, 110);
  Button(form, "Remove", kRemoveFolder, 480, 120, 110);
  Note(form, "None: the photos in the first log's folder and its subfolders.", 156);
  Caption(form, "Camera _zone:", 196);
  controls.Zone = Add(form, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, kZone, 150, 196, 440, 200);
  Note(form, "For photos that do not state their own offset from UTC: +hh:mm, -hh:mm, UTC or a zone name such as "
             "Europe/Rome.", 226);
  Caption(form, "Camera _shift:", 266);
  controls.Shift = Add(form, L"EDIT", platform::Wide(choices.CameraShift), WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kShift,
                       150, 266, 440, 24);
  Note(form, "Seconds, or [-]hh:mm:ss, added to every camera time: positive for a clock that runs slow.", 294);
  Caption(form, "_Template:", 334);
  controls.Template = Add(form, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kTemplate, 150, 334, 320, 200);
  Button(form, "_Browse…", kBrowse, 480, 332, 110);
  controls.Open = Button(form, "Open the page when _done", kOpen, 150, 370, 440, BS_AUTOCHECKBOX);
  Button(form, "Con_vert", IDOK, 380, 430, 100, BS_DEFPUSHBUTTON);
  Button(form, "_Close", IDCANCEL, 490, 430, 100);

  for (const std::string& log : choices.Logs) AddItem(controls.Logs, log);
  for (const std::string& folder : choices.PhotoFolders) AddItem(controls.Folders, folder);
  FillZones(controls.Zone, choices.CameraZone);
  FillTemplates(controls, request);
  SendMessageW(controls.Open, BM_SETCHECK, choices.OpenPage ? BST_CHECKED : BST_UNCHECKED, 0);

  form.OnCommand = [&](int command) {
    switch (command) {
      case kAddLogs:
        for (const std::string& log : RunWin32LogChooser(form.Window)) AddItem(controls.Logs, log);
        return false;
      case kRemoveLog: RemoveSelected(controls.Logs); return false;
      case kAddFolder:
        if (const std::string folder = ChooseFolder(form.Window); !folder.empty()) AddItem(controls.Folders, folder);
        return false;
      case kRemoveFolder: RemoveSelected(controls.Folders); return false;
      case kBrowse:
        if (const std::string file = ChooseTemplateFile(form.Window); !file.empty()) {
          AddTemplate(controls, file, file);
          SendMessageW(controls.Template, CB_SETCURSEL, controls.TemplatePaths.size() - 1, 0);
        }
        return false;
      case IDOK: {
        StartChoices chosen = ChoicesOf(controls);
        if (const std::string problem = request.ProblemWith(chosen); !problem.empty()) {
          MessageBoxW(form.Window, platform::Wide(problem).c_str(), platform::Wide(kAppTitle).c_str(), MB_OK);
          return false;
        }
        request.Choices = std::move(chosen);
        return true;
      }
      default: return command == IDCANCEL;
    }
  };
  return RunForm(form, addLogs) == IDOK;
}

void RunWin32LastBox(const std::string& text, const std::string& pagePath,
                     const std::function<void(const std::string&)>& openPage) {
  Form form;
  OpenForm(form, 520, 250);
  std::wstring shownText;  // a multi-line edit box breaks lines at CR LF only
  for (const wchar_t c : platform::Wide(text)) shownText += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
  Add(form, L"EDIT", shownText, WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY, -1, 12, 12, 496, 180);
  Button(form, "_Open the page", kOpenPage, 12, 212, 160);
  Button(form, "Show in _folder", kShowInFolder, 182, 212, 160);
  HWND close = Button(form, "_Close", IDCANCEL, 408, 212, 100, BS_DEFPUSHBUTTON);
  form.OnCommand = [&](int command) {
    if (command == kOpenPage) openPage(pagePath);
    if (command == kShowInFolder) {
      const std::wstring select = L"/select,\"" + platform::Wide(pagePath) + L"\"";
      ShellExecuteW(form.Window, L"open", L"explorer.exe", select.c_str(), nullptr, SW_SHOWNORMAL);
    }
    return command == IDCANCEL || command == IDOK;
  };
  RunForm(form, close);
}

}  // namespace routelet
