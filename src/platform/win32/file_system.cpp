#include "platform/win32/file_system.h"

#include <windows.h>

#include "platform/win32/dir_lister.h"
#include "platform/win32/handle.h"
#include "platform/win32/wide.h"

namespace platform::win32 {

namespace {

bool endsInSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

std::uint32_t ourAttributes(DWORD win32) {
  std::uint32_t a = 0;
  if (win32 & FILE_ATTRIBUTE_DIRECTORY) a |= kAttrDirectory;
  if (win32 & FILE_ATTRIBUTE_HIDDEN) a |= kAttrHidden;
  if (win32 & FILE_ATTRIBUTE_SYSTEM) a |= kAttrSystem;
  if (win32 & FILE_ATTRIBUTE_READONLY) a |= kAttrReadOnly;
  if (win32 & FILE_ATTRIBUTE_REPARSE_POINT) a |= kAttrReparsePoint;
  return a;
}

}  // namespace

std::optional<std::uint32_t> Win32FileSystem::attributes(const std::string& path) {
  // "" names nothing; answered here so list("") and attributes("") agree by construction.
  const std::wstring full = path.empty() ? std::wstring() : literalPath(path);
  if (full.empty()) return std::nullopt;
  const DWORD attrs = GetFileAttributesW(full.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  // "dir\" names the folder, "file.txt\" names nothing, as Win32 has it.
  if (endsInSeparator(path) && !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  return ourAttributes(attrs);
}

std::vector<DirEntry> Win32FileSystem::list(const std::string& path) {
  std::vector<DirEntry> entries;
  // "" is no folder (attributes() says so too), not the current directory.
  const std::wstring full = path.empty() ? std::wstring() : literalPath(path);
  if (full.empty()) return entries;
  unique_hfile folder(CreateFileW(full.c_str(),
                                  FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  FILE_BASIC_INFO basic;
  if (!folder || !GetFileInformationByHandleEx(folder.get(), FileBasicInfo, &basic, sizeof basic) ||
      !(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return entries;
  }
  listFolder(folder.get(), full, volumeOf(folder.get()), [&](const ListedEntry& e) {
    // A name with a separator in it (Wine lists such Linux names) cannot be part of a path: a
    // caller would reach another entry by it.
    if (e.name.find_first_of(L"\\/") == std::wstring_view::npos) {
      entries.push_back({narrow(e.name), ourAttributes(e.attributes)});
    }
    return true;
  });
  return entries;
}

std::string Win32FileSystem::fullPath(const std::string& path) {
  // By the same rules as every other path here: a name ending in a dot or a space keeps it.
  std::wstring full = literalPath(path);
  if (full.empty()) return path;
  full = full.rfind(L"\\\\?\\UNC\\", 0) == 0 ? L"\\" + full.substr(7) : full.substr(4);
  const bool separator = !path.empty() && (path.back() == '\\' || path.back() == '/');
  if (separator && full.back() != L'\\') full += L'\\';
  return narrow(full);
}

}  // namespace platform::win32
