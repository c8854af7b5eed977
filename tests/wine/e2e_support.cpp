#include "e2e_support.h"

#include <shlobj.h>

#include <thread>

#include "platform/win32/wide.h"
#include "ui/win32/names.h"

namespace e2e {
namespace {

using platform::win32::narrow;
using platform::win32::widen;

constexpr const wchar_t* kShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool makeFolders(const std::wstring& path) {
  const int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
}

// Only the length is set, so a big file takes no room where the file system allows sparse files.
bool makeFile(const std::wstring& path, std::size_t size) {
  if (!makeFolders(path.substr(0, path.find_last_of(L'\\')))) return false;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool ok = SetFilePointerEx(f, end, nullptr, FILE_BEGIN) && SetEndOfFile(f);
  CloseHandle(f);
  return ok;
}

// The top-level windows of a process (the visible ones only, unless `all`).
std::vector<HWND> windowsOf(DWORD pid, bool all = false) {
  struct Search {
    DWORD pid;
    bool all;
    std::vector<HWND> found;
  } search{pid, all, {}};
  EnumWindows(
      [](HWND h, LPARAM lp) {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == s->pid && (s->all || IsWindowVisible(h))) s->found.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The child of `window` with this control name.
HWND controlIn(HWND window, const std::string& name) {
  std::pair<const std::string*, HWND> search{&name, nullptr};
  EnumChildWindows(
      window,
      [](HWND h, LPARAM lp) {
        auto* s = reinterpret_cast<std::pair<const std::string*, HWND>*>(lp);
        if (ui::win32::windowName(h) != *s->first) return TRUE;
        s->second = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

}  // namespace

bool makeTree(const std::string& root, const std::vector<std::string>& entries,
              std::size_t fileSize) {
  for (const std::string& e : entries) {
    const std::wstring path = widen(root + "\\" + e);
    const bool ok =
        e.back() == '\\' ? makeFolders(path.substr(0, path.size() - 1)) : makeFile(path, fileSize);
    if (!ok) return false;
  }
  return true;
}

DocumentsFolder::DocumentsFolder(const std::string& folder) {
  const std::wstring value = widen(folder);
  RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

DocumentsFolder::~DocumentsFolder() {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal");
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout,
             std::chrono::milliseconds interval) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(interval);
  }
  return true;
}

std::string textOf(HWND h) {
  // WM_GETTEXT rather than GetWindowTextW, which does not ask a window of another process.
  std::wstring text(static_cast<std::size_t>(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      SendMessageW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return narrow(text);
}

std::vector<std::string> comboItems(HWND combo) {
  std::vector<std::string> items;
  const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (WPARAM i = 0; static_cast<LRESULT>(i) < count; ++i) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)), L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    items.push_back(narrow(item));
  }
  return items;
}

void click(HWND control) {
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
               reinterpret_cast<LPARAM>(control));
}

void chooseComboItem(HWND combo, int index) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

App::App() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring dir = std::wstring(self).substr(0, std::wstring(self).find_last_of(L'\\'));
  const std::wstring exe = dir + L"\\" + widen(VELMORA_EXE_NAME);
  std::wstring cmd = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // No inherited handles: a leaked child must not hold ctest's output pipe open.
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                      &si, &pi))
    return;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  WaitForInputIdle(process_, 10000);
}

App::~App() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    if (HWND main = mainWindow(0ms)) PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, 5000) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 5000);
    }
  }
  CloseHandle(process_);
}

bool App::waitForExit(std::chrono::milliseconds timeout) {
  return process_ &&
         WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD App::exitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

HWND App::waitForWindow(const std::string& title, std::chrono::milliseconds timeout) const {
  HWND found = nullptr;
  waitFor(
      [&] {
        for (HWND h : windowsOf(pid_))
          if (textOf(h) == title) found = h;
        return found != nullptr;
      },
      timeout);
  return found;
}

bool App::hasVisibleWindow() const {
  return !windowsOf(pid_).empty();
}

HWND App::control(const std::string& name) const {
  // The windows of controls hidden at start-up come just after the first paint.
  HWND found = nullptr;
  waitFor([&] {
    for (HWND top : windowsOf(pid_, true))
      if ((found = controlIn(top, name))) return true;
    return false;
  });
  return found;
}

HWND App::waitForMessageBox(std::chrono::milliseconds timeout, const std::string& text) const {
  HWND box = nullptr;
  wchar_t cls[8] = {};
  waitFor(
      [&] {
        for (HWND h : windowsOf(pid_))
          if (GetClassNameW(h, cls, 8) && std::wstring(cls) == L"#32770" &&
              (text.empty() || messageText(h) == text))
            box = h;
        return box != nullptr;
      },
      timeout);
  return box;
}

std::string App::messageText(HWND box) {
  // A message box's text is the static with id 0xFFFF.
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? textOf(text) : std::string();
}

void App::answer(HWND box, int id) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

}  // namespace e2e
