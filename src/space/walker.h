// The one folder size walker. Every size Velmora shows comes from here, through a backend per OS.
#pragma once

#include <atomic>
#include <string>

#include "platform/file_system.h"
#include "platform/walk_backend.h"

namespace space {

// Totals the tree below `root` with `threads` threads (0: one per core), splitting the work by
// folder. The figures do not depend on the thread count. Links are counted as entries and never
// followed; a sub-folder that cannot be opened or listed, or is no longer the folder that was
// listed, is counted in `unreadable` and the walk goes on with the rest. `subfolders` counts the
// root's entries that are folders, links to folders included where the OS reports them as
// folders. Once `stop` (when given) is true no further folder is opened and the walk returns soon,
// with partial figures that mean nothing.
platform::FolderSize walkFolder(platform::WalkBackend& backend, const std::string& root,
                                unsigned threads = 0, const std::atomic<bool>* stop = nullptr);

}  // namespace space
