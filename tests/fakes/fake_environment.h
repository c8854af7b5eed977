// The registry and the environment port in memory: files by path (without case), environment
// variables, the running processes; UTF-8 read as Windows reads it, by Unicode's table (the C
// library's iconv lets code points past U+10FFFF through), GBK through iconv.
#pragma once

#include <iconv.h>

#include <algorithm>
#include <map>
#include <set>

#include "models/reference.h"
#include "platform/environment.h"
#include "platform/registry.h"

namespace fakes {

inline std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

class FakeRegistry : public platform::Registry {
 public:
  std::map<std::string, std::string> values;  // "key\\value" -> data
  std::optional<std::string> readUserString(const std::string& key,
                                            const std::string& value) override {
    const auto it = values.find(key + "\\" + value);
    return it == values.end() ? std::nullopt : std::optional(it->second);
  }
};

class FakeEnvironment : public platform::Environment {
 public:
  void addFile(const std::string& path, std::string content) { files_[upper(path)] = content; }
  std::map<std::string, std::string> variables;  // %NAME% is replaced when written as here
  std::set<std::string> running;                 // executable names, upper case

  std::optional<std::string> readSmallFile(const std::string& path, std::size_t maxBytes) override {
    auto it = files_.find(upper(path));
    if (it == files_.end() || it->second.size() > maxBytes) return std::nullopt;
    return it->second;
  }
  std::string expandEnvironment(const std::string& text) override {
    std::string out = text;
    for (const auto& [name, value] : variables) {
      const std::string token = "%" + name + "%";
      for (auto pos = out.find(token); pos != std::string::npos; pos = out.find(token, pos))
        out.replace(pos, token.size(), value);
    }
    return out;
  }
  std::optional<std::string> decode(std::string_view bytes, unsigned codePage) override {
    if (codePage != platform::kCodePageGbk)
      return model::decode(bytes) ? std::optional<std::string>(bytes) : std::nullopt;
    iconv_t cd = iconv_open("UTF-8", "CP936");
    std::string in(bytes), out(bytes.size() * 3, '\0');
    char *inPtr = in.data(), *outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    return ok ? std::optional(out.substr(0, out.size() - outLeft)) : std::nullopt;
  }
  bool processRunning(const std::vector<std::string>& exeNames) override {
    return std::any_of(exeNames.begin(), exeNames.end(),
                       [this](const std::string& name) { return running.count(upper(name)); });
  }

 private:
  std::map<std::string, std::string> files_;
};

}  // namespace fakes
