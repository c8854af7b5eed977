// The registry port on the real Win32 API.
#pragma once

#include "platform/registry.h"

namespace platform::win32 {

class Win32Registry : public platform::Registry {
 public:
  std::optional<std::string> readUserString(const std::string& key,
                                            const std::string& value) override;
};

}  // namespace platform::win32
