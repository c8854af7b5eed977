// Opening entries relative to an open folder, and what an open handle says about itself. The
// walker and the removal backend reach every entry this way: by the handle of the folder it was
// listed in and its bare name, never by a path that another program could redirect meanwhile.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win32/handle.h"

namespace platform::win32 {

// NTSTATUS values the callers tell apart, spelled out because the SDKs declare them apart.
inline constexpr LONG kStatusObjectNameInvalid = static_cast<LONG>(0xC0000033);
inline constexpr LONG kStatusObjectNameNotFound = static_cast<LONG>(0xC0000034);
inline constexpr LONG kStatusObjectPathNotFound = static_cast<LONG>(0xC000003A);
inline constexpr LONG kStatusDeletePending = static_cast<LONG>(0xC0000056);
// Wine's answer for a symbolic link whose target is missing (it does not list such a link).
inline constexpr LONG kStatusNoSuchFile = static_cast<LONG>(0xC000000F);
inline constexpr LONG kStatusNotADirectory = static_cast<LONG>(0xC0000103);
inline constexpr LONG kStatusFileIsADirectory = static_cast<LONG>(0xC00000BA);

struct RelativeOpen {
  unique_hfile handle;
  LONG status = 0;  // NTSTATUS; 0 when opened
};

enum class OpenAs { Folder, File, Any };

// `name` (one bare name) in the folder open as `parent`, as itself: a link is opened, not what it
// points to (FILE_OPEN_REPARSE_POINT; Wine follows Unix links regardless). `as` refuses the
// other type, so a file put where a folder was listed is not opened as one.
RelativeOpen openRelative(HANDLE parent, std::wstring_view name, ACCESS_MASK access, OpenAs as);

// The win32 error an NTSTATUS stands for.
DWORD errorOf(LONG status);

// The file id of an open entry (NTFS file reference, inode under Wine); 0 when it cannot say.
std::uint64_t fileIdOf(HANDLE h);

// Whether an open entry is a junction, symbolic link or mount point.
bool isLinkHandle(HANDLE h);

// Only name surrogates lead elsewhere; other reparse points (cloud-file placeholders, for one)
// hold their own contents. A reparse point listed without its tag is taken for a link.
bool isLink(DWORD attributes, DWORD tag);

// Under Wine, where a handle opened on a link is the link's target, and deleting it deletes the
// target: there the code checks where each entry really is before touching it.
bool runningOnWine();

// The path below its volume that an open handle resolves to; empty when it cannot say. Wine
// resolves links here (GetFinalPathNameByHandleW fails there past MAX_PATH).
std::wstring resolvedName(HANDLE h);

// Whether two resolved paths name the same place. Names compare case-insensitively, as NTFS
// does, and without trailing dots and spaces, which Wine drops from some names it resolves.
bool samePlace(std::wstring_view a, std::wstring_view b);

}  // namespace platform::win32
