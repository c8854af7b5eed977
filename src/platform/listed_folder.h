// A sub-folder as its parent's listing showed it. Backends open it relative to the parent and
// check that what they opened is this folder before going in: a folder renamed away and replaced
// by a link between listing and opening must never be entered.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct ListedFolder {
  std::string name;
  std::uint64_t id = 0;      // file id (inode, NTFS file reference); 0 when the listing has none
  std::uint64_t volume = 0;  // device of the id, where ids are unique per device only
  std::uint32_t attributes = 0;  // as listed (Win32 attribute bits)
};

}  // namespace platform
