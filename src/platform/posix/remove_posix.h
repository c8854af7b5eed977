// The removal backend for Linux, so the engine can be tested and benchmarked natively.
#pragma once

#include <memory>

#include "platform/removal_backend.h"

namespace platform::posix {

// Paths in Posix style. Folders are opened relative to their parent (openat, never through a
// symbolic link) and checked against the parent's listing (device and inode); entries are removed
// relative to their folder (unlinkat), so a symbolic link is removed itself, never followed. A
// folder without owner write permission is given it before its entries are removed (the
// "read-only" of Linux).
std::unique_ptr<RemovalBackend> makeRemovalBackend();

}  // namespace platform::posix
