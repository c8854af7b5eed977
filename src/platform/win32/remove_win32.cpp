#include "platform/win32/remove_win32.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/handle.h"
#include "platform/win32/wide.h"

namespace platform::win32 {
namespace {

using clean::EntryOutcome;
using clean::FolderPass;

// Spelled out rather than taken from the SDK headers, whose guards for them differ between SDKs.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;
constexpr DWORD kDispositionIgnoreReadOnly = 0x10;
struct DispositionInfoEx {
  DWORD flags;
};
constexpr DWORD kNameSurrogateTag = 0x20000000;  // junctions, symbolic links, mount points
constexpr DWORD kListBatchBytes = 64 * 1024;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kOpenAsItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

// Wine deletes the file a link resolves to rather than the link, so there links are left alone.
const char kWineLink[] = "link left in place";

bool runningOnWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool isMissing(DWORD err) {
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

std::string reasonFor(DWORD err) {
  switch (err) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return "in use";
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return "access denied";
    case ERROR_DIR_NOT_EMPTY:
      return "not empty";
    case ERROR_WRITE_PROTECT:
      return "write-protected";
    case ERROR_FILENAME_EXCED_RANGE:
      return "path too long";
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
      return "drive not available";
    default:
      return "error " + std::to_string(err);
  }
}

// The vetted path with the \\?\ prefix, so Win32 takes every name literally: no MAX_PATH limit,
// no trailing dots or spaces dropped, no device names.
std::wstring literalPath(const std::string& canonical) {
  const std::wstring w = widen(canonical);
  if (w.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + w.substr(2);
  return L"\\\\?\\" + w;
}

// The path below its volume that an open handle resolves to; empty when it cannot say. Wine
// resolves links here, and GetFinalPathNameByHandleW fails there past MAX_PATH.
std::wstring resolvedName(HANDLE h) {
  std::vector<LONGLONG> buffer(128);  // grows for long paths
  for (;;) {
    auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
    const auto bytes = static_cast<DWORD>(buffer.size() * sizeof(LONGLONG));
    if (GetFileInformationByHandleEx(h, FileNameInfo, info, bytes)) {
      return std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR));
    }
    if (GetLastError() != ERROR_MORE_DATA || buffer.size() > 16384) return {};
    buffer.resize(buffer.size() * 8);
  }
}

bool sameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

struct ListedEntry {
  std::wstring_view name;
  DWORD attributes;
  DWORD reparseTag;
};

class Win32RemovalBackend final : public clean::RemovalBackend {
 public:
  clean::PathStyle pathStyle() const override { return clean::PathStyle::Windows; }

  FolderPass clearFolder(const std::string& path) override {
    FolderPass pass;
    const std::wstring dir = literalPath(path);
    const DWORD attrs = GetFileAttributesW(dir.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return unopened(GetLastError());
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
      pass.kind = FolderPass::Kind::NotAFolder;
      return pass;
    }
    unique_hfile h(CreateFileW(dir.c_str(),
                               FILE_LIST_DIRECTORY | SYNCHRONIZE | FILE_READ_ATTRIBUTES, kShareAll,
                               nullptr, OPEN_EXISTING, kOpenAsItself, nullptr));
    if (!h) return unopened(GetLastError());
    if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
      FILE_ATTRIBUTE_TAG_INFO tag{};
      GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag);
      if (isLink(attrs, tag.ReparseTag)) {
        pass.kind = FolderPass::Kind::NotAFolder;
        return pass;
      }
    }
    // Under Wine a file link lists as a plain file, so each file's resolved path is checked
    // against where it was listed.
    const std::wstring resolvedDir = wine_ ? resolvedName(h.get()) + L"\\" : std::wstring();
    const DWORD listError = list(h.get(), dir, [&](const ListedEntry& e) {
      if ((e.attributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink(e.attributes, e.reparseTag)) {
        pass.subfolders.push_back(narrow(e.name));
        return;
      }
      const std::wstring child = dir + L"\\" + std::wstring(e.name);
      const std::wstring expected = wine_ ? resolvedDir + std::wstring(e.name) : std::wstring();
      EntryOutcome out = deleteEntry(child, e.attributes, wine_ ? &expected : nullptr);
      if (out.removed) return;
      ++pass.remaining;
      if (pass.firstReason.empty()) pass.firstReason = std::move(out.reason);
    });
    if (listError != ERROR_SUCCESS) {
      if (pass.firstReason.empty()) pass.firstReason = reasonFor(listError);
      if (pass.remaining == 0 && pass.subfolders.empty()) pass.kind = FolderPass::Kind::Unreadable;
    }
    return pass;
  }

  EntryOutcome removeEntry(const std::string& path) override {
    const std::wstring full = literalPath(path);
    const DWORD attrs = GetFileAttributesW(full.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
      const DWORD err = GetLastError();
      return isMissing(err) ? EntryOutcome{true, ""} : EntryOutcome{false, reasonFor(err)};
    }
    std::wstring expected;
    if (wine_ && !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
      const std::size_t cut = full.rfind(L'\\');
      unique_hfile parent(CreateFileW(full.substr(0, cut).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                      nullptr, OPEN_EXISTING, kOpenAsItself, nullptr));
      if (parent) expected = resolvedName(parent.get()) + full.substr(cut);
    }
    return deleteEntry(full, attrs, expected.empty() ? nullptr : &expected);
  }

 private:
  // A reparse point that names another place. Other kinds (cloud-file placeholders, for one)
  // hold their own contents. Wine reports links without a tag.
  bool isLink(DWORD attrs, DWORD tag) const {
    return (attrs & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (wine_ || tag == 0 || (tag & kNameSurrogateTag));
  }

  static FolderPass unopened(DWORD err) {
    FolderPass pass;
    pass.kind = isMissing(err) ? FolderPass::Kind::Missing : FolderPass::Kind::Unreadable;
    if (!isMissing(err)) pass.firstReason = reasonFor(err);
    return pass;
  }

  // Calls `fn` for each entry of the folder open as `h` ("." and ".." left out). Returns the
  // error that ended the listing early, or ERROR_SUCCESS.
  static DWORD list(HANDLE h, const std::wstring& dir,
                    const std::function<void(const ListedEntry&)>& fn) {
    std::vector<LONGLONG> buffer(kListBatchBytes / sizeof(LONGLONG));  // 8-byte aligned
    for (bool first = true;; first = false) {
      const auto cls = first ? FileFullDirectoryRestartInfo : FileFullDirectoryInfo;
      if (!GetFileInformationByHandleEx(h, cls, buffer.data(), kListBatchBytes)) {
        const DWORD err = GetLastError();
        if (err == ERROR_NO_MORE_FILES) return ERROR_SUCCESS;
        if (first && (err == ERROR_INVALID_PARAMETER || err == ERROR_NOT_SUPPORTED)) {
          return listByFind(dir, fn);
        }
        return err;
      }
      const auto* at = reinterpret_cast<const BYTE*>(buffer.data());
      for (;;) {
        const auto* info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(at);
        const std::wstring_view name(info->FileName, info->FileNameLength / sizeof(WCHAR));
        if (name != L"." && name != L"..") {
          // For a reparse point the EA size field carries its tag.
          fn({name, info->FileAttributes, info->EaSize});
        }
        if (info->NextEntryOffset == 0) break;
        at += info->NextEntryOffset;
      }
    }
  }

  // For volumes that refuse the by-handle listing (some network shares).
  static DWORD listByFind(const std::wstring& dir,
                          const std::function<void(const ListedEntry&)>& fn) {
    WIN32_FIND_DATAW data;
    unique_hfind find(FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return GetLastError();
    do {
      const std::wstring_view name(data.cFileName);
      if (name != L"." && name != L"..") fn({name, data.dwFileAttributes, data.dwReserved0});
    } while (FindNextFileW(find.get(), &data));
    const DWORD err = GetLastError();
    return err == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : err;
  }

  // Deletes one file, link or empty folder by handle. `expected`, under Wine, is the path the
  // entry must resolve to; anything else means it is a link.
  EntryOutcome deleteEntry(const std::wstring& path, DWORD attrs, const std::wstring* expected) {
    if (wine_ && (attrs & FILE_ATTRIBUTE_REPARSE_POINT)) return {false, kWineLink};
    const bool readOnly = attrs & FILE_ATTRIBUTE_READONLY;
    const DWORD access = DELETE | FILE_READ_ATTRIBUTES | (readOnly ? FILE_WRITE_ATTRIBUTES : 0);
    unique_hfile h(CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                               kOpenAsItself, nullptr));
    if (!h) {
      const DWORD err = GetLastError();
      return isMissing(err) ? EntryOutcome{true, ""} : EntryOutcome{false, reasonFor(err)};
    }
    if (expected && !sameText(resolvedName(h.get()), *expected)) return {false, kWineLink};

    if (posixDelete_.load(std::memory_order_relaxed)) {
      // The name goes at once even while others hold the file open, so the folder above can be
      // removed right after; read-only needs no separate step.
      DispositionInfoEx ex{kDispositionDelete | kDispositionPosixSemantics |
                           kDispositionIgnoreReadOnly};
      if (SetFileInformationByHandle(h.get(), kFileDispositionInfoEx, &ex, sizeof ex)) {
        return {true, ""};
      }
      const DWORD err = GetLastError();
      const bool unsupported = err == ERROR_INVALID_PARAMETER || err == ERROR_NOT_SUPPORTED ||
                               err == ERROR_INVALID_FUNCTION;
      if (unsupported) posixDelete_.store(false, std::memory_order_relaxed);
      if (!unsupported && !readOnly) return {false, reasonFor(err)};
    }
    if (readOnly) {
      FILE_BASIC_INFO basic{};
      if (GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic)) {
        basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(h.get(), FileBasicInfo, &basic, sizeof basic);
      }
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(h.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
      return {false, reasonFor(GetLastError())};
    }
    return {true, ""};  // deleted when `h` closes
  }

  const bool wine_ = runningOnWine();
  std::atomic<bool> posixDelete_{true};  // until the system turns the extended call down
};

}  // namespace

std::unique_ptr<clean::RemovalBackend> makeRemovalBackend() {
  return std::make_unique<Win32RemovalBackend>();
}

}  // namespace platform::win32
