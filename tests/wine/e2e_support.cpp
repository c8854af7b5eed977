#include "e2e_support.h"

#include <commctrl.h>
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
  if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
    return true;
  const auto cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || !makeFolders(path.substr(0, cut))) return false;
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool makeFile(const std::wstring& path, std::size_t size) {
  const auto cut = path.find_last_of(L'\\');
  if (cut != std::wstring::npos && !makeFolders(path.substr(0, cut))) return false;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const bool ok = SetFilePointerEx(f, end, nullptr, FILE_BEGIN) && SetEndOfFile(f);
  CloseHandle(f);
  return ok;
}

std::wstring className(HWND h) {
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  return cls;
}

DWORD processOf(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  return pid;
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
        if (processOf(h) == s->pid && (s->all || IsWindowVisible(h))) s->found.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring exeBesideTests() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  path.erase(path.find_last_of(L'\\') + 1);
  return path + widen(VELMORA_EXE_NAME);
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
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  wchar_t old[1024] = {};
  DWORD size = sizeof old - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(key, L"Personal", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
      ERROR_SUCCESS)
    old_ = std::wstring(old);
  const std::wstring value = widen(folder);
  RegSetValueExW(key, L"Personal", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

DocumentsFolder::~DocumentsFolder() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  if (old_) {
    RegSetValueExW(key, L"Personal", 0, REG_SZ, reinterpret_cast<const BYTE*>(old_->c_str()),
                   static_cast<DWORD>((old_->size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(key, L"Personal");
  }
  RegCloseKey(key);
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout,
             std::chrono::milliseconds interval) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(interval);
  }
}

std::string textOf(HWND h) {
  // WM_GETTEXT rather than GetWindowTextW, which does not ask a window of another process.
  const auto len = SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
  const auto n = SendMessageW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return narrow(text);
}

void press(HWND button) {
  PostMessageW(button, BM_CLICK, 0, 0);
}

SIZE outerSize(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return {r.right - r.left, r.bottom - r.top};
}

std::vector<std::string> comboItems(HWND combo) {
  std::vector<std::string> items;
  const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto len = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring item(static_cast<std::size_t>(len) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(len));
    items.push_back(narrow(item));
  }
  return items;
}

void click(HWND control) {
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
               reinterpret_cast<LPARAM>(control));
}

void setChecked(HWND checkBox, bool checked) {
  const bool now = SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (now != checked) click(checkBox);
}

void setText(HWND edit, const std::string& text) {
  // WM_SETTEXT is one of the messages the system copies into the other process.
  const std::wstring w = widen(text);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void chooseComboItem(HWND combo, int index) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

HWND controlIn(HWND window, const std::string& name) {
  struct Search {
    const std::string* name;
    HWND found;
  } search{&name, nullptr};
  EnumChildWindows(
      window,
      [](HWND h, LPARAM lp) {
        auto* s = reinterpret_cast<Search*>(lp);
        if (ui::win32::windowName(h) != *s->name) return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool selectInFolderPicker(HWND picker, const std::string& folder) {
  HWND tree = nullptr;
  EnumChildWindows(
      picker,
      [](HWND child, LPARAM lp) -> BOOL {
        if (className(child) != WC_TREEVIEWW) return TRUE;
        *reinterpret_cast<HWND*>(lp) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&tree));
  if (!tree) return false;
  // The picker's messages carry pointers the system does not copy between processes: the path
  // and the tree item live in memory of the picker's process.
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processOf(picker));
  if (!process) return false;
  constexpr std::size_t kPathBytes = 64 * 1024, kTextChars = MAX_PATH;
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, kPathBytes + 4096,
                                                   MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  bool selected = false;
  const std::wstring path = widen(folder);
  const std::wstring leaf = path.substr(path.find_last_of(L'\\') + 1);
  if (remote && (path.size() + 1) * sizeof(wchar_t) <= kPathBytes &&
      WriteProcessMemory(process, remote, path.c_str(), (path.size() + 1) * sizeof(wchar_t),
                         nullptr)) {
    auto* remoteItem = remote + kPathBytes;
    auto* remoteText = reinterpret_cast<wchar_t*>(remoteItem + sizeof(TVITEMW));
    selected = waitFor([&] {
      SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
      TVITEMW item{};
      item.mask = TVIF_TEXT;
      item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
      item.pszText = remoteText;
      item.cchTextMax = kTextChars;
      if (!item.hItem || !WriteProcessMemory(process, remoteItem, &item, sizeof item, nullptr) ||
          !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remoteItem)))
        return false;
      wchar_t text[kTextChars + 1] = {};
      if (!ReadProcessMemory(process, remoteText, text, kTextChars * sizeof(wchar_t), nullptr))
        return false;
      return leaf == text;
    });
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return selected;
}

App::App() {
  const std::wstring exe = exeBesideTests();
  std::wstring cmd = L"\"" + exe + L"\"";
  const std::wstring dir = exe.substr(0, exe.find_last_of(L'\\'));
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

HWND App::anyWindow() const {
  const std::vector<HWND> all = windowsOf(pid_);
  return all.empty() ? nullptr : all.front();
}

HWND App::control(const std::string& name) const {
  struct Search {
    const std::string* name;
    HWND found;
  } search{&name, nullptr};
  for (HWND top : windowsOf(pid_, true)) {
    EnumChildWindows(
        top,
        [](HWND h, LPARAM lp) {
          auto* s = reinterpret_cast<Search*>(lp);
          if (ui::win32::windowName(h) != *s->name) return TRUE;
          s->found = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) break;
  }
  return search.found;
}

HWND App::waitForMessageBox(std::chrono::milliseconds timeout) const {
  HWND box = nullptr;
  waitFor(
      [&] {
        for (HWND h : windowsOf(pid_))
          if (className(h) == L"#32770") box = h;
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
