// What discovery and the running-WeChat check ask of the system besides files and the registry:
// small configuration files, environment strings, legacy code pages and the process list.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Code pages as Windows numbers them.
inline constexpr unsigned kCodePageGbk = 936;
inline constexpr unsigned kCodePageUtf8 = 65001;

class Environment {
 public:
  virtual ~Environment() = default;

  // The whole content of a file, or nothing when it is missing, unreadable, a folder, or larger
  // than `maxBytes` (configuration files are tiny; anything big is not one).
  virtual std::optional<std::string> readSmallFile(const std::string& path,
                                                   std::size_t maxBytes) = 0;

  // `text` with every %NAME% of a defined environment variable replaced by its value; undefined
  // names stay as written, as Windows leaves them.
  virtual std::string expandEnvironment(const std::string& text) = 0;

  // `bytes` in the given code page as UTF-8, or nothing when they are not valid in it.
  virtual std::optional<std::string> decode(std::string_view bytes, unsigned codePage) = 0;

  // Whether a process whose executable has one of these names (compared without case) runs in
  // our own session, that is for the user who runs us.
  virtual bool processRunning(const std::vector<std::string>& exeNames) = 0;
};

}  // namespace platform
