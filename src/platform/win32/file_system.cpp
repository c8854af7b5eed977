#include "platform/win32/file_system.h"

#include <windows.h>

#include "platform/win32/handle.h"
#include "platform/win32/wide.h"

namespace platform::win32 {

std::optional<std::uint32_t> Win32FileSystem::attributes(const std::string& path) {
  // "" names nothing; answered here so list("") and attributes("") agree by construction.
  if (path.empty()) return std::nullopt;
  const DWORD attrs = GetFileAttributesW(widePath(path).c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attrs;
}

namespace {

// The search pattern for every entry of `folder`, keeping the folder's meaning: "C:" is the
// current directory of drive C, so it gets no separator of its own.
std::wstring allEntriesPattern(const std::string& folder) {
  std::string pattern = folder;
  const char last = pattern.back();
  if (last != '\\' && last != '/' && last != ':') pattern += '\\';
  pattern += '*';
  return widePath(pattern);
}

bool isDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

std::vector<DirEntry> Win32FileSystem::list(const std::string& path) {
  std::vector<DirEntry> entries;
  // "" is no folder (attributes() says so too), not the current directory.
  if (path.empty()) return entries;
  WIN32_FIND_DATAW data;
  unique_hfind find(FindFirstFileExW(allEntriesPattern(path).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return entries;
  do {
    if (isDotEntry(data.cFileName)) continue;
    entries.push_back({narrow(data.cFileName), data.dwFileAttributes});
  } while (FindNextFileW(find.get(), &data));
  return entries;
}

std::string Win32FileSystem::fullPath(const std::string& path) {
  const std::wstring in = widen(path);
  std::wstring out(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(in.c_str(), static_cast<DWORD>(out.size()), out.data(), nullptr);
  if (n >= out.size()) {  // too long for the buffer: n is the size it needs
    out.resize(n);
    n = GetFullPathNameW(in.c_str(), static_cast<DWORD>(out.size()), out.data(), nullptr);
  }
  if (n == 0 || n >= out.size()) return path;
  out.resize(n);
  return narrow(out);
}

}  // namespace platform::win32
