#pragma once

#include <optional>
#include <string>

namespace platform {

class Registry {
 public:
  virtual ~Registry() = default;
  // Reads a string value below HKEY_CURRENT_USER as stored (REG_EXPAND_SZ is not expanded).
  // `key` is relative to HKEY_CURRENT_USER, e.g. "Software\\Microsoft\\...\\Shell Folders".
  virtual std::optional<std::string> readUserString(const std::string& key,
                                                    const std::string& value) = 0;
};

}  // namespace platform
