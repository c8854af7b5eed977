#include "ports_test_support.h"

#include <algorithm>
#include <thread>

#include "platform/win32/handle.h"
#include "platform/win32/wide.h"

using platform::win32::narrow;
using platform::win32::widen;

namespace ports_test {

namespace {

// Deletes `folder` (raw path) and everything below. Links are removed, never followed.
void removeTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  platform::win32::unique_hfind find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (find) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = folder + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      const DWORD attrs = data.dwFileAttributes;
      if ((attrs & FILE_ATTRIBUTE_DIRECTORY) && !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        removeTree(child);
      } else if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(child.c_str());
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find.get(), &data));
  }
  find.reset();
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::wstring rawPath(const std::string& path) {
  return L"\\\\?\\" + widen(path);
}

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  std::string base = narrow(temp);
  if (!base.empty() && base.back() == '\\') base.pop_back();
  for (unsigned attempt = 0; path_.empty() && attempt < 100; ++attempt) {
    const std::string candidate = base + "\\velmora-ports-" +
                                  std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(GetTickCount() + attempt);
    if (makeFolder(candidate)) path_ = candidate;
  }
}

TempFolder::~TempFolder() {
  if (!path_.empty()) removeTree(rawPath(path_));
}

bool makeFolder(const std::string& path) {
  return CreateDirectoryW(rawPath(path).c_str(), nullptr) != 0;
}

bool writeFile(const std::string& path, const std::string& content) {
  platform::win32::unique_hfile file(CreateFileW(rawPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                   nullptr) &&
         written == content.size();
}

std::string readFile(const std::string& path) {
  platform::win32::unique_hfile file(CreateFileW(
      rawPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string content(4096, '\0');
  DWORD read = 0;
  if (!file ||
      !ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr)) {
    return {};
  }
  content.resize(read);
  return content;
}

HWND waitForDialog(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          DWORD pid = 0;
          GetWindowThreadProcessId(window, &pid);
          wchar_t cls[16] = {};
          GetClassNameW(window, cls, 16);
          if (pid != GetCurrentProcessId() || std::wstring(cls) != L"#32770" ||
              !IsWindowVisible(window)) {
            return TRUE;
          }
          *reinterpret_cast<HWND*>(param) = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found != nullptr) return found;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return nullptr;
}

void clickButton(HWND dialog, int buttonId) {
  SendMessageW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    // Short waits: `done` may also turn true without any message arriving.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    const auto wait = std::min<long long>(left.count(), 10);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

std::wstring selfPath() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

int runChild(const std::string& mode) {
  std::wstring command = L"\"" + selfPath() + L"\" --gtest_filter=PortsChild.*";
  SetEnvironmentVariableW(L"VELMORA_PORTS_CHILD", widen(mode).c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &info);
  SetEnvironmentVariableW(L"VELMORA_PORTS_CHILD", nullptr);
  if (!started) return -1;
  platform::win32::unique_handle process(info.hProcess);
  platform::win32::unique_handle thread(info.hThread);
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

}  // namespace ports_test
