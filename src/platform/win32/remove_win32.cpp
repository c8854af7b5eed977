#include "platform/win32/remove_win32.h"

#include <windows.h>

#include <string>

#include "platform/win32/dir_lister.h"
#include "platform/win32/handle.h"
#include "platform/win32/nt_file.h"
#include "platform/win32/wide.h"

namespace platform::win32 {
namespace {

using Mode = RemovalBackend::Mode;

// Spelled out rather than taken from the SDK headers, whose guards for them differ between SDKs.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;
constexpr DWORD kDispositionIgnoreReadOnly = 0x10;
struct DispositionInfoEx {
  DWORD flags;
};
constexpr ACCESS_MASK kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | DELETE | SYNCHRONIZE;

RemovalReason reasonFor(DWORD err) {
  switch (err) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return RemovalReason::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return RemovalReason::AccessDenied;
    case ERROR_DIR_NOT_EMPTY:
      return RemovalReason::NotEmpty;
    case ERROR_WRITE_PROTECT:
      return RemovalReason::WriteProtected;
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_UNEXP_NET_ERR:
      return RemovalReason::DriveUnavailable;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return RemovalReason::BadName;
    default:
      return RemovalReason::Other;
  }
}

// What an entry that would not open stands for: None when nothing is there any more.
RemovalReason reasonFor(const RelativeOpen& failed) {
  switch (failed.status) {
    case kStatusObjectNameNotFound:
    case kStatusObjectPathNotFound:
    case kStatusDeletePending:
      return RemovalReason::None;
    case kStatusNoSuchFile:
      return RemovalReason::LinkKept;
    case kStatusNotADirectory:
    case kStatusFileIsADirectory:
      return RemovalReason::Changed;
    default:
      return reasonFor(errorOf(failed.status));
  }
}

// A name that would be read as more than one name ("a\b", "a:stream"); Wine lists such Linux
// names as they are.
bool unusableName(std::wstring_view name) {
  return name.find_first_of(L"\\/:") != std::wstring_view::npos;
}

std::wstring below(const std::wstring& folder, std::wstring_view name) {
  std::wstring out = folder;
  if (out.empty() || out.back() != L'\\') out += L'\\';
  out += name;
  return out;
}

class Win32Folder final : public RemovalBackend::Folder {
 public:
  unique_hfile handle;
  std::wstring path;      // \\?\ form, for volumes listed with FindFirstFileExW
  std::wstring resolved;  // under Wine: where it really is; its entries must be right below
  Volume* volume = nullptr;
  bool readOnly = false;
  // The target only: its parent and name, to see under Wine that its removal really happened.
  unique_hfile parent;
  std::wstring name;
};

class Win32RemovalBackend final : public RemovalBackend {
 public:
  PathStyle pathStyle() const override { return PathStyle::Windows; }

  Opened openTarget(const std::string& path, Mode mode) override {
    const std::wstring full = literalPath(path);
    const std::size_t cut = full.rfind(L'\\');
    if (full.empty() || cut == std::wstring::npos) return {nullptr, RemovalReason::Other};
    // Links above the target are followed: that is where the user's folders are.
    unique_hfile parent(CreateFileW(full.substr(0, cut).c_str(), kFolderAccess & ~DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!parent) {
      const DWORD err = GetLastError();
      const bool missing = err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
      return {nullptr, missing ? RemovalReason::None : reasonFor(err)};
    }
    const std::wstring name = full.substr(cut + 1);
    const DWORD attrs = GetFileAttributesW(full.c_str());
    Win32Folder above;
    above.handle = std::move(parent);
    above.path = full.substr(0, cut);
    if (wine_) above.resolved = resolvedName(above.handle.get());

    ListedEntry entry;
    entry.name = name;
    entry.attributes = attrs == INVALID_FILE_ATTRIBUTES ? 0 : attrs;
    Found found = openFolder(above, entry, 0);
    if (found.folder) {
      found.folder->parent = std::move(above.handle);
      found.folder->name = name;
      found.folder->volume = &volumeOf(found.folder->handle.get());
      return {std::move(found.folder), RemovalReason::None};
    }
    if (found.what != Found::File && found.what != Found::Link) return {nullptr, found.reason};
    // A file or a link: the target is just that entry.
    if (mode == Mode::Count) return {nullptr, RemovalReason::Changed};
    return {nullptr,
            deleteEntry(above, entry, found.what == Found::File ? OpenAs::File : OpenAs::Folder)};
  }

  Opened openChild(Folder& parent, const ListedFolder& child) override {
    const std::wstring name = widen(child.name);
    ListedEntry entry;
    entry.name = name;
    entry.attributes = child.attributes;
    Found found = openFolder(static_cast<Win32Folder&>(parent), entry, child.id);
    // Not the folder listed: whatever it is now stays as it is.
    if (found.what == Found::File) found.reason = RemovalReason::Changed;
    if (found.what == Found::Link) found.reason = RemovalReason::LinkKept;
    return {std::move(found.folder), found.reason};
  }

  ClearedFolder clearFolder(Folder& folder, Mode mode, const std::atomic<bool>& stop) override {
    ClearedFolder out;
    auto& f = static_cast<Win32Folder&>(folder);
    auto stays = [&out](RemovalReason why) {
      ++out.entries;
      if (out.reason == RemovalReason::None) out.reason = why;
    };
    const DWORD error = listFolder(f.handle.get(), f.path, *f.volume, [&](const ListedEntry& e) {
      if (stop) return false;
      if ((e.attributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink(e.attributes, e.tag) &&
          !unusableName(e.name)) {
        out.subfolders.push_back({narrow(e.name), e.id, 0, e.attributes});
      } else if (mode == Mode::Count) {
        ++out.entries;
      } else if (const RemovalReason why = deleteEntry(f, e, openAsOf(e));
                 why != RemovalReason::None) {
        stays(why);
      } else {
        ++out.removedFiles;
        out.removedBytes += e.size;
      }
      return true;
    });
    if (error != ERROR_SUCCESS) {
      out.listed = false;
      if (out.reason == RemovalReason::None) out.reason = reasonFor(error);
    }
    return out;
  }

  RemovalReason removeFolder(std::unique_ptr<Folder> folder) override {
    auto& f = static_cast<Win32Folder&>(*folder);
    RemovalReason why = deleteOpen(f.handle.get(), f.readOnly, *f.volume);
    // Wine does not list a Linux link whose target is missing, so a folder that holds one looks
    // empty and is not: that link is what stays.
    if (why == RemovalReason::NotEmpty && wine_ && looksEmpty(f)) why = RemovalReason::LinkKept;
    f.handle.reset();  // the deletion happens as the last handle closes
    if (why != RemovalReason::None || !wine_ || !f.parent) return why;
    // Wine checks that a folder is empty when told to delete it, and deletes it on close, when
    // something written meanwhile makes that fail without a word.
    const RelativeOpen still =
        openRelative(f.parent.get(), f.name, FILE_READ_ATTRIBUTES, OpenAs::Any);
    return still.handle ? RemovalReason::NotEmpty : RemovalReason::None;
  }

 private:
  static bool looksEmpty(Win32Folder& f) {
    bool empty = true;
    const DWORD error = listFolder(f.handle.get(), f.path, *f.volume,
                                   [&](const ListedEntry&) { return empty = false; });
    return empty && error == ERROR_SUCCESS;
  }

  static OpenAs openAsOf(const ListedEntry& e) {
    return (e.attributes & FILE_ATTRIBUTE_DIRECTORY) ? OpenAs::Folder : OpenAs::File;
  }

  struct Found {
    enum What { Folder, Gone, Stays, File, Link } what = Stays;
    std::unique_ptr<Win32Folder> folder;
    RemovalReason reason = RemovalReason::None;
  };

  // Opens `entry` of `parent` as a real folder, checked against `id` when the listing gave one.
  // A file there, or a link that can be removed as itself (not under Wine), is left to the
  // caller.
  Found openFolder(Win32Folder& parent, const ListedEntry& entry, std::uint64_t id) {
    if (unusableName(entry.name)) return {Found::Stays, nullptr, RemovalReason::BadName};
    const bool readOnly = entry.attributes & FILE_ATTRIBUTE_READONLY;
    RelativeOpen opened =
        openRelative(parent.handle.get(), entry.name,
                     kFolderAccess | (readOnly ? FILE_WRITE_ATTRIBUTES : 0), OpenAs::Folder);
    if (!opened.handle) {
      if (opened.status == kStatusNotADirectory) return {Found::File, nullptr, RemovalReason::None};
      const RemovalReason why = reasonFor(opened);
      return {why == RemovalReason::None ? Found::Gone : Found::Stays, nullptr, why};
    }
    HANDLE h = opened.handle.get();
    std::wstring resolved;
    if (wine_) {
      // Wine opened what a link points to: only where it resolves tells.
      resolved = resolvedName(h);
      if (!samePlace(resolved, below(parent.resolved, entry.name))) {
        return {Found::Stays, nullptr, RemovalReason::LinkKept};
      }
    } else if (isLinkHandle(h)) {
      return {Found::Link, nullptr, RemovalReason::None};
    }
    if (id != 0 && fileIdOf(h) != id) return {Found::Stays, nullptr, RemovalReason::Changed};
    auto folder = std::make_unique<Win32Folder>();
    folder->handle = std::move(opened.handle);
    folder->path = childPath(parent.path, entry.name);
    folder->resolved = std::move(resolved);
    folder->volume = parent.volume;
    folder->readOnly = readOnly;
    return {Found::Folder, std::move(folder), RemovalReason::None};
  }

  // Deletes one file or link of `folder` by handle; None when it is gone.
  RemovalReason deleteEntry(Win32Folder& folder, const ListedEntry& e, OpenAs kind) {
    if (unusableName(e.name)) return RemovalReason::BadName;
    // Wine shows a Unix link to a folder as a reparse point, and would delete its target.
    if (wine_ && (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return RemovalReason::LinkKept;
    const bool readOnly = e.attributes & FILE_ATTRIBUTE_READONLY;
    const RelativeOpen opened =
        openRelative(folder.handle.get(), e.name,
                     DELETE | FILE_READ_ATTRIBUTES | (readOnly ? FILE_WRITE_ATTRIBUTES : 0), kind);
    if (!opened.handle) return reasonFor(opened);
    HANDLE h = opened.handle.get();
    if (kind == OpenAs::Folder && !isLinkHandle(h))
      return RemovalReason::Changed;  // a link was listed
    // Wine shows a Unix link to a file as that file: only where it resolves tells them apart.
    if (wine_ && !samePlace(resolvedName(h), below(folder.resolved, e.name))) {
      return RemovalReason::LinkKept;
    }
    return deleteOpen(h, readOnly, folder.volume ? *folder.volume : volumeOf(h));
  }

  // Marks the open entry for deletion; None when that worked.
  static RemovalReason deleteOpen(HANDLE h, bool readOnly, Volume& volume) {
    if (volume.posixDelete.load(std::memory_order_relaxed)) {
      // The name goes at once even while others hold the file open, so the folder above can be
      // removed right after; read-only needs no separate step.
      DispositionInfoEx ex{kDispositionDelete | kDispositionPosixSemantics |
                           kDispositionIgnoreReadOnly};
      if (SetFileInformationByHandle(h, kFileDispositionInfoEx, &ex, sizeof ex)) {
        return RemovalReason::None;
      }
      const DWORD err = GetLastError();
      const bool unsupported = err == ERROR_INVALID_PARAMETER || err == ERROR_NOT_SUPPORTED ||
                               err == ERROR_INVALID_FUNCTION;
      if (unsupported) volume.posixDelete.store(false, std::memory_order_relaxed);
      if (!unsupported && !readOnly) return reasonFor(err);
    }
    if (readOnly) {
      FILE_BASIC_INFO basic{};
      if (GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
        basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
      }
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition)) {
      return reasonFor(GetLastError());
    }
    return RemovalReason::None;  // deleted as the handle closes
  }

  const bool wine_ = runningOnWine();
};

}  // namespace

std::unique_ptr<RemovalBackend> makeRemovalBackend() {
  return std::make_unique<Win32RemovalBackend>();
}

}  // namespace platform::win32
