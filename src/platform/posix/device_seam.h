// Lets the native tests stand in for a file system mounted inside a tree without mounting one:
// CI may not mount. Given an entry's name and its real device id, it gives the id the backend is
// to see; empty, the real one.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace platform::posix {

using DeviceSeam = std::function<std::uint64_t(std::string_view name, std::uint64_t device)>;

inline std::uint64_t deviceOf(const DeviceSeam& seam, std::string_view name, std::uint64_t real) {
  return seam ? seam(name, real) : real;
}

}  // namespace platform::posix
