// The environment port in memory: files by path (without case), environment variables, the
// running processes; code pages through the C library's iconv.
#pragma once

#include <map>
#include <set>

#include "platform/environment.h"

namespace fakes {

class FakeEnvironment : public platform::Environment {
 public:
  void addFile(const std::string& path, std::string content) { files_[upper(path)] = content; }
  std::map<std::string, std::string> variables;  // %NAME% is replaced when written as here
  std::set<std::string> running;                 // executable names, upper case

  std::optional<std::string> readSmallFile(const std::string& path, std::size_t maxBytes) override;
  std::string expandEnvironment(const std::string& text) override;
  std::optional<std::string> decode(std::string_view bytes, unsigned codePage) override;
  bool processRunning(const std::vector<std::string>& exeNames) override;
  static std::string upper(std::string s);

 private:
  std::map<std::string, std::string> files_;
};

}  // namespace fakes
