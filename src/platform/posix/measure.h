// The size walker on Linux and other POSIX systems, so the engine is tested and benchmarked
// natively against du and gdu. Paths are plain POSIX paths.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "space/walk_backend.h"

namespace platform::posix {

// Opens folders relative to their parent (openat) and sizes entries with fstatat, never
// following a symbolic link below the root.
std::unique_ptr<space::WalkBackend> makeWalkBackend();

// Walks the folder tree below `path` with up to `threads` threads (0: one per core).
FolderSize measureFolder(const std::string& path, unsigned threads = 0);

}  // namespace platform::posix
