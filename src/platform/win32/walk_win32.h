// The Win32 backend of the size walker.
#pragma once

#include <memory>

#include "platform/walk_backend.h"

namespace platform::win32 {

enum class ListMethod {
  kDirectoryInfo,  // batches through the folder's handle, FindFirstFileExW where a volume refuses
  kFind,           // FindFirstFileExW only (tests and the benchmark)
};

// The root is opened by its \\?\ path; every folder below by its bare name relative to its
// parent's handle, and checked against the parent's listing (file id, not a link) before it is
// listed. Junctions, symbolic links and mount points are reported as links; other reparse points
// (cloud-file placeholders, for one) hold their own contents and are walked like any folder.
// Under Wine, which shows a Unix link to a file as that file, files of 1 MiB or more are opened
// to tell such links apart, and a link found is counted as a link, not at its target's size.
std::unique_ptr<WalkBackend> makeWalkBackend(ListMethod method = ListMethod::kDirectoryInfo);

}  // namespace platform::win32
