#include "platform/win32/walk_win32.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/win32/handle.h"
#include "platform/win32/measure.h"
#include "platform/win32/wide.h"
#include "space/walker.h"

namespace platform::win32 {
namespace {

constexpr DWORD kBatchBytes = 64 * 1024;

bool startsWith(std::wstring_view s, std::wstring_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// `utf8` as an absolute \\?\ path without a trailing separator (except at a drive's root, where
// "\\?\C:" would name the volume rather than its root folder). Every child path is then this
// plus "\name", whatever its length. Empty when Windows cannot make the path absolute.
std::wstring rootPath(const std::string& utf8) {
  std::wstring path = widen(utf8);
  if (path.empty()) return {};
  if (!startsWith(path, L"\\\\?\\")) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n =
          GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
      if (n == 0) return {};
      if (n < full.size()) {
        full.resize(n);
        break;
      }
      full.resize(n);
    }
    if (startsWith(full, L"\\\\.\\")) return {};  // a device, not a folder
    path = startsWith(full, L"\\\\") ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
  }
  const std::size_t keep = path.size() == 7 && path[5] == L':' ? 7 : 4;  // "\\?\C:\" | "\\?\"
  while (path.size() > keep && path.back() == L'\\') path.pop_back();
  return path;
}

// A folder open for listing, with the \\?\ path its children are reached by.
class Win32Folder final : public space::WalkBackend::Folder {
 public:
  Win32Folder(unique_hfile handle, std::wstring path)
      : handle(std::move(handle)), path(std::move(path)) {}
  std::wstring child(std::wstring_view name) const {
    std::wstring p = path;
    if (p.back() != L'\\') p += L'\\';
    p += name;
    return p;
  }

  unique_hfile handle;
  const std::wstring path;
};

// Only name surrogates lead elsewhere. A reparse point listed without its tag is taken for one.
bool isLink(DWORD attributes, DWORD tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         (tag == 0 || IsReparseTagNameSurrogate(tag));
}

bool isDots(std::wstring_view n) {
  return n == L"." || n == L"..";
}

// Hands one entry to the sink. The name buffer is reused: most entries are files whose name the
// walker drops at once.
class EntryWriter {
 public:
  explicit EntryWriter(space::WalkSink& sink) : sink_(sink) {}

  void write(std::wstring_view name, DWORD attributes, DWORD tag, std::uint64_t size) {
    if (isDots(name)) return;
    const int inLen = static_cast<int>(name.size());
    int outLen = WideCharToMultiByte(CP_UTF8, 0, name.data(), inLen, name_.data(),
                                     static_cast<int>(name_.size()), nullptr, nullptr);
    if (outLen == 0) {
      name_.resize(static_cast<std::size_t>(inLen) * 3);
      outLen = WideCharToMultiByte(CP_UTF8, 0, name.data(), inLen, name_.data(),
                                   static_cast<int>(name_.size()), nullptr, nullptr);
    }
    space::WalkEntry e;
    e.name = std::string_view(name_.data(), static_cast<std::size_t>(outLen));
    e.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.link = isLink(attributes, tag);
    e.size = e.directory ? 0 : size;
    sink_.entry(e);
  }

 private:
  space::WalkSink& sink_;
  std::string name_ = std::string(256, '\0');
};

enum class Listed { kAll, kFailed, kRefused };

Listed listByHandle(const Win32Folder& folder, space::WalkSink& sink) {
  // DWORD-aligned, as the entries require.
  auto buffer = std::make_unique<std::uint64_t[]>(kBatchBytes / sizeof(std::uint64_t));
  EntryWriter writer(sink);
  for (bool first = true;; first = false) {
    if (!GetFileInformationByHandleEx(folder.handle.get(), FileIdBothDirectoryInfo, buffer.get(),
                                      kBatchBytes)) {
      const DWORD err = GetLastError();
      if (err == ERROR_NO_MORE_FILES) return Listed::kAll;
      const bool refused = err == ERROR_INVALID_PARAMETER || err == ERROR_INVALID_FUNCTION ||
                           err == ERROR_NOT_SUPPORTED || err == ERROR_INVALID_LEVEL;
      return first && refused ? Listed::kRefused : Listed::kFailed;
    }
    auto* at = reinterpret_cast<const unsigned char*>(buffer.get());
    for (;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      writer.write(std::wstring_view(info->FileName, info->FileNameLength / sizeof(WCHAR)),
                   info->FileAttributes, info->EaSize,
                   static_cast<std::uint64_t>(info->EndOfFile.QuadPart));
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
  }
}

bool listByFind(const Win32Folder& folder, space::WalkSink& sink) {
  WIN32_FIND_DATAW data;
  unique_hfind find(FindFirstFileExW(folder.child(L"*").c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND;  // not even "." : empty
  EntryWriter writer(sink);
  do {
    const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    writer.write(data.cFileName, data.dwFileAttributes, data.dwReserved0, size);
  } while (FindNextFileW(find.get(), &data));
  return GetLastError() == ERROR_NO_MORE_FILES;
}

class Win32WalkBackend final : public space::WalkBackend {
 public:
  explicit Win32WalkBackend(ListMethod method) : useFind_(method == ListMethod::kFind) {}

  std::unique_ptr<Folder> openRoot(const std::string& path) override {
    std::wstring full = rootPath(path);
    if (full.empty()) return nullptr;
    // The root itself may be a junction (a moved data folder is a common one): follow it.
    auto folder = open(std::move(full), 0);
    FILE_BASIC_INFO basic;
    if (!folder ||
        !GetFileInformationByHandleEx(folder->handle.get(), FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return nullptr;
    }
    return folder;
  }

  std::unique_ptr<Folder> openChild(const Folder& parent, std::string_view name) override {
    // Never through a link, even one that appeared since the parent was listed.
    return open(static_cast<const Win32Folder&>(parent).child(widen(name)),
                FILE_FLAG_OPEN_REPARSE_POINT);
  }

  bool list(Folder& folder, space::WalkSink& sink) override {
    const auto& f = static_cast<const Win32Folder&>(folder);
    if (!useFind_.load(std::memory_order_relaxed)) {
      const Listed listed = listByHandle(f, sink);
      if (listed != Listed::kRefused) return listed == Listed::kAll;
      useFind_.store(true, std::memory_order_relaxed);  // the whole tree is on this volume
    }
    return listByFind(f, sink);
  }

 private:
  static std::unique_ptr<Win32Folder> open(std::wstring path, DWORD flags) {
    unique_hfile h(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
    if (!h) return nullptr;
    return std::make_unique<Win32Folder>(std::move(h), std::move(path));
  }

  std::atomic<bool> useFind_;
};

}  // namespace

std::unique_ptr<space::WalkBackend> makeWalkBackend(ListMethod method) {
  return std::make_unique<Win32WalkBackend>(method);
}

FolderSize measureFolder(const std::string& path, unsigned threads) {
  Win32WalkBackend backend(ListMethod::kDirectoryInfo);
  return space::walkFolder(backend, path, threads);
}

}  // namespace platform::win32
