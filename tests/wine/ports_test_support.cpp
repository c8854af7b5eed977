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

}  // namespace ports_test
