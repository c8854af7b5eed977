// The Win32 removal backend behind the removal engine.
#pragma once

#include <memory>

#include "platform/removal_backend.h"

namespace platform::win32 {

// Folders are opened by their bare name relative to their parent's handle, as themselves
// (FILE_OPEN_REPARSE_POINT), and checked against the parent's listing (file id, not a link)
// before anything in them is touched; entries are deleted by handle, so a junction or symbolic
// link is removed and never entered, every name is taken literally, and depth is not limited by
// MAX_PATH. Windows 10 1809+ deletes with POSIX semantics ignoring read-only; elsewhere the
// read-only attribute is cleared first. Under Wine, where opening a link opens what it points to
// and deleting it deletes that, links are left in place and reported instead: there each entry's
// resolved path is compared with where it was listed.
std::unique_ptr<RemovalBackend> makeRemovalBackend();

}  // namespace platform::win32
