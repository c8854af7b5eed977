// The size walker on Linux and other POSIX systems, so the engine is tested and benchmarked
// natively against du and gdu. Paths are plain POSIX paths.
#pragma once

#include <memory>

#include "platform/posix/device_seam.h"
#include "platform/walk_backend.h"

namespace platform::posix {

// Opens folders relative to their parent (openat, never through a symbolic link), checks that
// each is the folder that was listed (device and inode), and sizes entries with fstatat. A folder
// on another device than its parent (a mount point) is reported as a link, so it is not entered.
std::unique_ptr<WalkBackend> makeWalkBackend(DeviceSeam devices = {});

}  // namespace platform::posix
