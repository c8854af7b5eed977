#include "platform/win32/shell.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/win32/handle.h"
#include "platform/win32/wide.h"

namespace platform::win32 {

bool Win32Shell::startProcess(const std::string& commandLine, ShowStyle style) {
  // CreateProcessW may write into the command line, so it needs its own buffer.
  std::wstring command = widen(commandLine);
  command.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(style);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  // Nobody waits for the program; only the handles are ours to give back.
  unique_handle process(info.hProcess);
  unique_handle thread(info.hThread);
  return true;
}

namespace {

UINT styleOf(Buttons buttons, Icon icon) {
  UINT style = buttons == Buttons::OkCancel            ? MB_OKCANCEL
               : buttons == Buttons::CancelTryContinue ? MB_CANCELTRYCONTINUE
                                                       : MB_OK;
  if (icon == Icon::Question) style |= MB_ICONQUESTION;
  if (icon == Icon::Warning) style |= MB_ICONWARNING;
  return style;
}

}  // namespace

Answer Win32Shell::messageBox(const std::string& text, const std::string& title, Buttons buttons,
                              Icon icon, WindowHandle owner) {
  // Owned by the window that asks, so that window is disabled while the box is up: a question
  // opened from posted work comes while another program may be active. The box's own message
  // loop keeps dispatching timers and posted work to the thread's windows.
  HWND parent = owner ? reinterpret_cast<HWND>(owner) : GetActiveWindow();
  if (parent && !IsWindowVisible(parent)) parent = GetActiveWindow();
  const int answer =
      MessageBoxW(parent, widen(text).c_str(), widen(title).c_str(), styleOf(buttons, icon));
  // A box whose loop ended on WM_QUIT answers IDOK under Wine: only a press of OK is consent, and
  // nobody pressed anything when the program is ending.
  MSG quit;
  if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return Answer::Cancel;
  switch (answer) {
    case IDOK:
      return Answer::Ok;
    case IDTRYAGAIN:
      return Answer::TryAgain;
    case IDCONTINUE:
      return Answer::Continue;
    default:
      return Answer::Cancel;
  }
}

void Win32Shell::cancelOpenBoxes() {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM) -> BOOL {
        wchar_t cls[16] = {};
        if (GetClassNameW(h, cls, 16) && lstrcmpW(cls, L"#32770") == 0) EndDialog(h, IDCANCEL);
        return TRUE;
      },
      0);
}

std::string Win32Shell::browseForFolder(const std::string& title) {
  // The new dialog style (resizable, with "Make New Folder") needs the single-threaded COM
  // apartment the entry point enters; without one the picker still works in the old style.
  APTTYPE type{};
  APTTYPEQUALIFIER qualifier{};
  const bool comReady = SUCCEEDED(CoGetApartmentType(&type, &qualifier)) &&
                        (type == APTTYPE_STA || type == APTTYPE_MAINSTA);

  const std::wstring wtitle = widen(title);
  BROWSEINFOW info{};
  info.hwndOwner = GetActiveWindow();
  info.lpszTitle = wtitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | (comReady ? BIF_NEWDIALOGSTYLE : 0);
  PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&info);
  if (pidl == nullptr) return {};
  auto freePidl = scope_exit([pidl] { CoTaskMemFree(pidl); });

  // Room for the longest path Windows knows, not MAX_PATH: the user may pick a deep folder.
  std::wstring path(32768, L'\0');
  if (!SHGetPathFromIDListEx(pidl, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
    return {};
  }
  path.resize(wcsnlen(path.c_str(), path.size()));
  return narrow(path);
}

std::string Win32Shell::decimalSeparator() {
  wchar_t separator[8] = {};
  const int length =
      GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, ARRAYSIZE(separator));
  if (length <= 1) return ".";
  return narrow(std::wstring_view(separator, static_cast<std::size_t>(length - 1)));
}

std::string Win32Shell::windowsFolder() {
  // The system's own folder, not a per-user one a terminal server may hand out.
  wchar_t folder[MAX_PATH] = {};
  const UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "C:\\Windows";
  return narrow(std::wstring_view(folder, n));
}

}  // namespace platform::win32
