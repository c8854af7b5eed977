#include "platform/win32/walk_win32.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win32/dir_lister.h"
#include "platform/win32/handle.h"
#include "platform/win32/nt_file.h"
#include "platform/win32/wide.h"

namespace platform::win32 {
namespace {

constexpr ACCESS_MASK kListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
// Opening every file under Wine would make a walk many times slower; a link to a small file
// counted at its target's size misleads little.
constexpr std::uint64_t kWineLinkCheckBytes = 1 << 20;

class Win32Folder final : public WalkBackend::Folder {
 public:
  Win32Folder(unique_hfile handle, std::wstring path, Volume& volume)
      : handle(std::move(handle)), path(std::move(path)), volume(volume) {}

  const unique_hfile handle;
  const std::wstring path;  // \\?\ form, for volumes listed with FindFirstFileExW
  Volume& volume;
  std::wstring resolved;  // under Wine, where the folder really is, once asked
};

// Hands one entry to the sink. The name buffer is reused: most entries are files whose name the
// walker drops at once.
class EntryWriter {
 public:
  EntryWriter(Win32Folder& folder, WalkSink& sink) : folder_(folder), sink_(sink) {}

  bool write(const ListedEntry& listed) {
    const int inLen = static_cast<int>(listed.name.size());
    int outLen = WideCharToMultiByte(CP_UTF8, 0, listed.name.data(), inLen, name_.data(),
                                     static_cast<int>(name_.size()), nullptr, nullptr);
    if (outLen == 0) {
      name_.resize(static_cast<std::size_t>(inLen) * 3);
      outLen = WideCharToMultiByte(CP_UTF8, 0, listed.name.data(), inLen, name_.data(),
                                   static_cast<int>(name_.size()), nullptr, nullptr);
    }
    WalkEntry e;
    e.name = std::string_view(name_.data(), static_cast<std::size_t>(outLen));
    e.directory = (listed.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.link = isLink(listed.attributes, listed.tag);
    e.id = listed.id;
    e.size = e.directory ? 0 : listed.size;
    if (!e.directory && !e.link && e.size >= kWineLinkCheckBytes && runningOnWine() &&
        isWineFileLink(listed.name)) {
      e.link = true;
      e.size = 0;  // what Windows lists for a link to a file
    }
    sink_.entry(e);
    return true;
  }

 private:
  bool isWineFileLink(std::wstring_view name) {
    if (folder_.resolved.empty()) folder_.resolved = resolvedName(folder_.handle.get());
    const RelativeOpen file =
        openRelative(folder_.handle.get(), name, FILE_READ_ATTRIBUTES, OpenAs::File);
    return file.handle && !samePlace(resolvedName(file.handle.get()),
                                     folder_.resolved + L"\\" + std::wstring(name));
  }

  Win32Folder& folder_;
  WalkSink& sink_;
  std::string name_ = std::string(256, '\0');
};

class Win32WalkBackend final : public WalkBackend {
 public:
  explicit Win32WalkBackend(ListMethod method) : findOnly_(method == ListMethod::kFind) {}

  std::unique_ptr<Folder> openRoot(const std::string& path) override {
    std::wstring full = literalPath(path);
    if (full.empty()) return nullptr;
    // The root itself may be a junction (a moved data folder is a common one): follow it.
    unique_hfile h(CreateFileW(full.c_str(), kListAccess,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILE_BASIC_INFO basic;
    if (!h || !GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return nullptr;
    }
    Volume& volume = findOnly_ ? findOnlyVolume() : volumeOf(h.get());
    return std::make_unique<Win32Folder>(std::move(h), std::move(full), volume);
  }

  std::unique_ptr<Folder> openChild(const Folder& parent, const ListedFolder& child) override {
    const auto& p = static_cast<const Win32Folder&>(parent);
    const std::wstring name = widen(child.name);
    RelativeOpen opened = openRelative(p.handle.get(), name, kListAccess, OpenAs::Folder);
    if (!opened.handle) return nullptr;
    // The folder listed, not a link or another folder put in its place since. Without an id
    // from the listing, a folder opened as itself is safe unless it is a link.
    const bool same = child.id != 0 ? fileIdOf(opened.handle.get()) == child.id
                                    : !isLinkHandle(opened.handle.get());
    if (!same) return nullptr;
    return std::make_unique<Win32Folder>(std::move(opened.handle), childPath(p.path, name),
                                         p.volume);
  }

  bool list(Folder& folder, WalkSink& sink) override {
    auto& f = static_cast<Win32Folder&>(folder);
    EntryWriter writer(f, sink);
    return listFolder(f.handle.get(), f.path, f.volume,
                      [&](const ListedEntry& e) { return writer.write(e); }) == ERROR_SUCCESS;
  }

 private:
  const bool findOnly_;
};

}  // namespace

std::unique_ptr<WalkBackend> makeWalkBackend(ListMethod method) {
  return std::make_unique<Win32WalkBackend>(method);
}

}  // namespace platform::win32
