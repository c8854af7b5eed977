// The file system port on the real Win32 API.
#pragma once

#include "platform/file_system.h"

namespace platform::win32 {

class Win32FileSystem : public platform::FileSystem {
 public:
  std::optional<std::uint32_t> attributes(const std::string& path) override;
  std::vector<DirEntry> list(const std::string& path) override;
  std::string fullPath(const std::string& path) override;
};

}  // namespace platform::win32
