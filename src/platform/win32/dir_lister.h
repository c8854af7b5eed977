// The one directory lister of the Win32 side, behind the walker, the removal backend and the
// file system port: batches of entries read through the folder's open handle, with
// FindFirstFileExW for volumes that refuse that (some network shares). The choice is made per
// volume, the first time a volume refuses, and kept for that volume only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform::win32 {

struct ListedEntry {
  std::wstring_view name;  // never "." or ".."; valid only during the call
  DWORD attributes = 0;
  DWORD tag = 0;  // the reparse tag, where the listing gives one
  std::uint64_t size = 0;
  std::uint64_t id = 0;  // file id; 0 from FindFirstFileExW
};

// What is known about listing and deleting on one volume.
struct Volume {
  std::atomic<bool> listByHandle{true};
  std::atomic<bool> posixDelete{true};  // FileDispositionInfoEx, until the volume turns it down
};

// `name` in the folder at `path` (a \\?\ path, which ends in a separator only at a root).
std::wstring childPath(const std::wstring& path, std::wstring_view name);

// The volume the open folder lives on (by its serial number).
Volume& volumeOf(HANDLE folder);
// A volume that lists with FindFirstFileExW only, for tests and the benchmark.
Volume& findOnlyVolume();

// Calls `fn` for every entry of the folder open as `folder` until it returns false. `path` is
// the folder's \\?\ path, for the FindFirstFileExW listing. Returns ERROR_SUCCESS, or the error
// that ended the listing early.
DWORD listFolder(HANDLE folder, const std::wstring& path, Volume& volume,
                 const std::function<bool(const ListedEntry&)>& fn);

}  // namespace platform::win32
