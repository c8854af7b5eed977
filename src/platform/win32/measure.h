// The Win32 size walker behind FileSystem::measure.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace platform::win32 {

// Walks the folder tree below `path` (UTF-8, may end in a backslash) with up to `threads` threads
// (0: one per core). Junctions, symbolic links and mount points are counted as entries, never
// followed; other reparse points (cloud-file placeholders) are folders like any other.
FolderSize measureFolder(const std::string& path, unsigned threads = 0);

}  // namespace platform::win32
