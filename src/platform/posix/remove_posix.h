// The removal backend for Linux, so the engine can be tested and benchmarked natively.
#pragma once

#include <memory>

#include "clean/removal_engine.h"

namespace platform::posix {

// Paths in Posix style. Symbolic links are removed themselves, never followed; a folder without
// owner write permission is given it before its entries are removed (the "read-only" of Linux).
std::unique_ptr<clean::RemovalBackend> makeRemovalBackend();

}  // namespace platform::posix
