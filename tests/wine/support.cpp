#include "support.h"

#include <shlobj.h>

#include <cstdlib>
#include <thread>

#include "ui/win32/names.h"

namespace wine_test {
namespace {

using platform::win32::unique_handle;

// Every window below `parent`, or every top-level window.
void forEachWindow(HWND parent, const std::function<void(HWND)>& fn) {
  const WNDENUMPROC call = [](HWND h, LPARAM f) {
    (*reinterpret_cast<const std::function<void(HWND)>*>(f))(h);
    return TRUE;
  };
  parent ? EnumChildWindows(parent, call, LPARAM(&fn)) : EnumWindows(call, LPARAM(&fn));
}

// The first window of process `pid` that `match` takes: a visible top-level window or, with
// `controls`, a control window in any of them (those of controls hidden at start-up come just
// after the first paint).
HWND find(DWORD pid, const std::function<bool(HWND)>& match, std::chrono::milliseconds timeout,
          bool controls) {
  HWND found = nullptr;
  const auto look = [&](HWND h) { found = found ? found : match(h) ? h : nullptr; };
  const auto search = [&] {
    forEachWindow(nullptr, [&](HWND top) {
      DWORD owner = 0;
      GetWindowThreadProcessId(top, &owner);
      if (owner == pid && controls) forEachWindow(top, look);
      if (owner == pid && !controls && IsWindowVisible(top)) look(top);
    });
    return found != nullptr;
  };
  waitFor(search, timeout);
  return found;
}

// No handles inherited: a leaked child must not hold ctest's output pipe open.
bool start(std::wstring line, unique_handle& process, const wchar_t* folder = nullptr) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(0, line.data(), 0, 0, FALSE, 0, 0, folder, &startup, &info)) return false;
  unique_handle thread(info.hThread);
  process.reset(info.hProcess);
  return true;
}

constexpr const wchar_t* kShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

}  // namespace

TempFolder::TempFolder() {
  wchar_t documents[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents);
  for (unsigned i = 0; path.empty() && i < 100; ++i) {
    const std::string name =
        narrow(documents) + "\\velmora-test-" + std::to_string(GetTickCount() + i);
    if (CreateDirectoryW(rawPath(name).c_str(), nullptr)) path = name;
  }
}

TempFolder::~TempFolder() {
  // Under Wine, removing a link from Windows deletes what it points to: the Linux side removes
  // the folder there. On Windows rd /s removes a junction without going in.
  if (path.empty()) return;
  if (const std::string unix = unixPath(path); !unix.empty())
    runUnixScript(path.substr(0, path.rfind('\\')), "rm -rf -- '" + unix + "'");
  else
    _wsystem((L"rd /s /q \"" + widen(path) + L"\"").c_str());
}

bool make(const std::string& path, const std::string& content) {
  // Folder by folder, each by its \\?\ path: a name ending in a dot or a space keeps it.
  for (auto cut = path.find('\\', 3); cut != std::string::npos; cut = path.find('\\', cut + 1))
    if (!CreateDirectoryW(rawPath(path.substr(0, cut)).c_str(), 0) && !exists(path.substr(0, cut)))
      return false;
  if (path.back() == '\\') return true;
  platform::win32::unique_hfile file(
      CreateFileW(rawPath(path).c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
  DWORD written = 0;
  return file && WriteFile(file.get(), content.data(), DWORD(content.size()), &written, nullptr);
}

std::string unixPath(const std::string& path) {
  // Through void*: a FARPROC cast straight to another function type trips -Wcast-function-type.
  const auto toUnix = reinterpret_cast<char*(CDECL*)(const wchar_t*)>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = toUnix ? toUnix(widen(path).c_str()) : nullptr;
  const std::string out = unix ? unix : "";
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

bool runUnixScript(const std::string& where, const std::string& script) {
  static unsigned serial = 0;
  const std::string sh = where + "\\velmora-script-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(++serial) + ".sh";
  // Wine does not track a Linux child: the script says how it ended by where it leaves itself.
  unique_handle process;
  if (unixPath(where).empty() ||
      !make(sh, "if cd '" + unixPath(where) + "' && (\n" + script +
                    "\n); then rm \"$0\"; else mv \"$0\" \"$0.failed\"; fi\n") ||
      !start(widen("/bin/sh \"" + unixPath(sh) + "\""), process))
    return false;
  waitFor([&] { return !exists(sh); }, 10min, 10ms);
  return !DeleteFileW(rawPath(sh + ".failed").c_str()) && !exists(sh);
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout,
             std::chrono::milliseconds interval) {
  for (const auto end = std::chrono::steady_clock::now() + timeout; !done();
       std::this_thread::sleep_for(interval))
    if (std::chrono::steady_clock::now() >= end) return false;
  return true;
}

std::string textOf(HWND h) {
  // WM_GETTEXT rather than GetWindowTextW, which does not ask a window of another process.
  std::wstring text(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
  text.resize(SendMessageW(h, WM_GETTEXT, text.size(), LPARAM(text.data())));
  return narrow(text);
}

void click(HWND window, int id) {
  HWND button = id ? GetDlgItem(window, id) : window;
  PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               LPARAM(button));
}

App::App(const std::string& documents) {
  const std::wstring value = widen(documents);
  RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal", REG_SZ, value.c_str(),
                  DWORD((value.size() + 1) * sizeof(wchar_t)));
  wchar_t self[MAX_PATH] = {};
  std::wstring folder(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  folder.resize(folder.find_last_of(L'\\'));
  start(L"\"" + folder + L"\\" + widen(VELMORA_EXE_NAME) + L"\"", process_, folder.c_str());
  pid_ = GetProcessId(process_.get());
  WaitForInputIdle(process_.get(), 10000);
}

App::~App() {
  if (HWND main = mainWindow(0ms)) PostMessageW(main, WM_CLOSE, 0, 0);
  if (!waitForExit(5s)) TerminateProcess(process_.get(), 1);
  waitForExit(5s);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Personal");
}

HWND App::window(const std::string& text, std::chrono::milliseconds timeout) const {
  const auto match = [&](HWND h) {
    return text.empty() || textOf(h) == text || textOf(GetDlgItem(h, 0xFFFF)) == text;
  };
  return find(pid_, match, timeout, false);
}

HWND App::control(const std::string& name) const {
  const auto named = [&](HWND h) { return ui::win32::windowName(h) == name; };
  return find(pid_, named, 10s, true);
}

}  // namespace wine_test
