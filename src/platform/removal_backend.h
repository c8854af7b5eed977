// What the removal engine needs from an operating system. Folders are reached only through their
// parent's open handle and checked against their parent's listing before anything inside them is
// touched, so a tree that changes while it is removed never leads the removal outside it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/listed_folder.h"
#include "platform/removal_reason.h"

namespace platform {

// How a backend spells paths. Windows: drive or share roots, backslashes (slashes accepted),
// names compared case-insensitively as NTFS does. Posix: "/" root, case-sensitive names.
enum class PathStyle { Windows, Posix };

// What clearing a folder (removing or counting its entries) did.
struct ClearedFolder {
  std::vector<ListedFolder> subfolders;  // the real sub-folders, left to the caller
  // Removing: the other entries that stayed. Counting: the other entries.
  std::uint64_t entries = 0;
  // Why the first of them stayed, or why the listing stopped part-way.
  RemovalReason reason = RemovalReason::None;
  bool listed = true;  // false: the listing stopped part-way
  // Removing: the files and links removed, and their logical bytes.
  std::uint64_t removedFiles = 0;
  std::uint64_t removedBytes = 0;
};

// Every member may be called from several threads at once, each on its own folders, and never
// throws.
class RemovalBackend {
 public:
  // An open folder. It keeps what removing it later needs (its parent, on some systems).
  class Folder {
   public:
    virtual ~Folder() = default;
  };
  struct Opened {
    std::unique_ptr<Folder> folder;  // a real folder, opened as itself
    RemovalReason reason =
        RemovalReason::None;  // no folder: why the entry stays (None: it is gone)
  };
  enum class Mode { Remove, Count };

  virtual ~RemovalBackend() = default;
  virtual PathStyle pathStyle() const = 0;
  // The vetted target, opened as itself; links on the way to it are followed (an account can
  // live below a linked Documents folder), the target itself never is. With Mode::Remove, a
  // target that is not a real folder (a file, a link) is removed here as one entry.
  virtual Opened openTarget(const std::string& path, Mode mode) = 0;
  // Sub-folder `child` of `parent` as the parent's listing showed it. Anything else now in its
  // place (a link, another folder) is not opened and stays, with its reason.
  virtual Opened openChild(Folder& parent, const ListedFolder& child) = 0;
  // Removes (or counts) every entry of `folder` that is not a real folder: files, and links of
  // any kind, which are removed themselves and never followed. Clears read-only protection
  // first. Returns early when `stop` becomes true.
  virtual ClearedFolder clearFolder(Folder& folder, Mode mode, const std::atomic<bool>& stop) = 0;
  // Removes `folder`, emptied, and closes it. None when it is gone.
  virtual RemovalReason removeFolder(std::unique_ptr<Folder> folder) = 0;
};

}  // namespace platform
