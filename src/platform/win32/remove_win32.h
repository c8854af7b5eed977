// The Win32 removal backend behind the removal engine.
#pragma once

#include <memory>

#include "clean/removal_engine.h"

namespace platform::win32 {

// Entries are deleted by handle, opened as themselves (FILE_FLAG_OPEN_REPARSE_POINT) by their
// \\?\ paths, so a junction or symbolic link is removed and never entered, and depth is not limited
// by MAX_PATH. Windows 10 1809+ deletes with POSIX semantics ignoring read-only; elsewhere the
// read-only attribute is cleared first. Under Wine, where deleting a link deletes what it points
// to, links are left in place and reported instead.
std::unique_ptr<clean::RemovalBackend> makeRemovalBackend();

}  // namespace platform::win32
