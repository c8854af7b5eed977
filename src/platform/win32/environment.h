// The environment port on the real Win32 API.
#pragma once

#include "platform/environment.h"

namespace platform::win32 {

class Win32Environment : public platform::Environment {
 public:
  std::optional<std::string> readSmallFile(const std::string& path, std::size_t maxBytes) override;
  std::string expandEnvironment(const std::string& text) override;
  std::optional<std::string> decode(std::string_view bytes, unsigned codePage) override;
  bool processRunning(const std::vector<std::string>& exeNames) override;
};

}  // namespace platform::win32
