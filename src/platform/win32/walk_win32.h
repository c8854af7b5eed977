// The Win32 backend of the size walker, for measureFolder, its tests and its benchmark.
#pragma once

#include <memory>

#include "space/walk_backend.h"

namespace platform::win32 {

enum class ListMethod {
  // GetFileInformationByHandleEx(FileIdBothDirectoryInfo): a whole 64 KiB batch per call on the
  // handle the folder was opened with. Falls back to kFind where the volume refuses the class.
  kDirectoryInfo,
  // FindFirstFileExW(FindExInfoBasic, FIND_FIRST_EX_LARGE_FETCH).
  kFind,
};

// Folders are opened with \\?\ (or \\?\UNC\) paths, so depth is not limited by MAX_PATH.
// Junctions, symbolic links and mount points are reported as links; other reparse points
// (cloud-file placeholders, for one) hold their own contents and are walked like any folder.
std::unique_ptr<space::WalkBackend> makeWalkBackend(ListMethod method = ListMethod::kDirectoryInfo);

}  // namespace platform::win32
