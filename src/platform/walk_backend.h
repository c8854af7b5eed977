// What the size walker needs from an operating system: open a folder, list it, open one of its
// sub-folders. Each OS supplies one backend; tests wrap a real one to inject failures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/listed_folder.h"

namespace platform {

struct WalkEntry {
  std::string_view name;  // bare name, never "." or ".."; valid only during the call
  std::uint64_t size =
      0;  // logical bytes of the entry itself (a link's own size, not its target's)
  bool directory = false;
  // A junction, symbolic link or mount point: it leads somewhere else, so the walk counts the
  // entry and never goes through it.
  bool link = false;
  std::uint64_t id = 0, volume = 0;  // of a folder: what openChild checks against
};

class WalkSink {
 public:
  virtual void entry(const WalkEntry& e) = 0;

 protected:
  ~WalkSink() = default;
};

// Every member may be called from several threads at once, each on its own folders; a parent
// folder is shared by the threads opening its children, so openChild must not change it.
class WalkBackend {
 public:
  // An open folder, kept open while its sub-folders are still to be opened: children are opened
  // relative to it, never by a path that could lead elsewhere by then.
  class Folder {
   public:
    virtual ~Folder() = default;
  };

  virtual ~WalkBackend() = default;
  // The folder at `path` (links in the path itself are followed), or null when it is missing or
  // not a folder.
  virtual std::unique_ptr<Folder> openRoot(const std::string& path) = 0;
  // Sub-folder `child` of `parent`, as listed: null when it cannot be opened, or when what opens is
  // not that folder (a link, or another folder put in its place).
  virtual std::unique_ptr<Folder> openChild(const Folder& parent, const ListedFolder& child) = 0;
  // Reports every entry of `folder` to `sink`. False when the listing failed, possibly after
  // some entries were already reported.
  virtual bool list(Folder& folder, WalkSink& sink) = 0;
};

}  // namespace platform
