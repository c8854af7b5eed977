#include "ports_test_support.h"

#include <windows.h>

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

bool exists(const std::string& path) {
  return GetFileAttributesW(rawPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
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

TempFolder::TempFolder(const std::string& path) {
  if (makeFolder(path)) path_ = path;
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  // Under Wine, deleting a Linux link from Windows deletes what it points to.
  const std::string unix = unixPath(path_);
  if (unix.empty() ||
      !runUnixScript(path_.substr(0, path_.rfind('\\')), "rm -rf -- '" + unix + "'")) {
    removeTree(rawPath(path_));
  }
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

std::string unixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  // Through void*: a FARPROC cast straight to another function type trips -Wcast-function-type.
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = toUnix ? toUnix(widen(path).c_str()) : nullptr;
  if (!unix) return {};
  std::string out = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

bool runUnixScript(const std::string& where, const std::string& script, bool wait) {
  static unsigned serial = 0;
  const std::string name =
      "\\velmora-script-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  const std::string file = where + name + ".sh", ok = where + name + ".ok",
                    failed = where + name + ".failed";
  const std::string unixDir = unixPath(where);
  // Wine does not track a Linux child (its handle is signalled at once): the script leaves a
  // file that says how it ended.
  if (unixDir.empty() ||
      !writeFile(file, "cd '" + unixDir + "' || exit 1\nif (\n" + script + "\n); then touch '" +
                           unixPath(ok) + "'; else touch '" + unixPath(failed) + "'; fi\n")) {
    return false;
  }
  std::wstring line = widen("/bin/sh \"" + unixPath(file) + "\"");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  if (!wait) return true;
  for (int i = 0; i < 60000 && !exists(ok) && !exists(failed); ++i) Sleep(10);
  const bool done = exists(ok);
  for (const std::string& p : {file, ok, failed}) DeleteFileW(rawPath(p).c_str());
  return done;
}

}  // namespace ports_test
