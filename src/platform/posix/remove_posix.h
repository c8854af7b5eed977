// The removal backend for Linux, so the engine can be tested and benchmarked natively.
#pragma once

#include <memory>

#include "platform/posix/device_seam.h"
#include "platform/removal_backend.h"

namespace platform::posix {

// Paths in Posix style. Folders are opened relative to their parent (openat, never through a
// symbolic link) and checked against the parent's listing (device and inode); entries are removed
// relative to their folder (unlinkat), so a symbolic link is removed itself, never followed. A
// folder without owner write permission is given it before its entries are removed (the
// "read-only" of Linux). A folder on another device than its parent (a mount point) stays, as a
// link does. Each file is sized (fstatat) before it is removed, for the bytes given back.
std::unique_ptr<RemovalBackend> makeRemovalBackend(DeviceSeam devices = {});

}  // namespace platform::posix
