// The file system port on the real Win32 API.
#pragma once

#include <functional>

#include "platform/file_system.h"

namespace platform::win32 {

class Win32FileSystem : public platform::FileSystem {
 public:
  using Measure = std::function<FolderSize(const std::string& path)>;
  // `measure` is the size walker, which lives above the ports.
  explicit Win32FileSystem(Measure measure) : measure_(std::move(measure)) {}

  std::optional<std::uint32_t> attributes(const std::string& path) override;
  std::vector<DirEntry> list(const std::string& path) override;
  FolderSize measure(const std::string& path) override { return measure_(path); }

 private:
  Measure measure_;
};

}  // namespace platform::win32
