#include "fakes/fake_environment.h"

#include <iconv.h>

namespace fakes {

std::string FakeEnvironment::upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::optional<std::string> FakeEnvironment::readSmallFile(const std::string& path,
                                                          std::size_t maxBytes) {
  auto it = files_.find(upper(path));
  if (it == files_.end() || it->second.size() > maxBytes) return std::nullopt;
  return it->second;
}

std::string FakeEnvironment::expandEnvironment(const std::string& text) {
  std::string out = text;
  for (const auto& [name, value] : variables) {
    const std::string token = "%" + name + "%";
    for (auto pos = out.find(token); pos != std::string::npos; pos = out.find(token, pos))
      out.replace(pos, token.size(), value);
  }
  return out;
}

std::optional<std::string> FakeEnvironment::decode(std::string_view bytes, unsigned codePage) {
  iconv_t cd = iconv_open("UTF-8", codePage == platform::kCodePageGbk ? "CP936" : "UTF-8");
  std::string in(bytes), out(bytes.size() * 3, '\0');
  char *inPtr = in.data(), *outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

bool FakeEnvironment::processRunning(const std::vector<std::string>& exeNames) {
  for (const auto& name : exeNames)
    if (running.count(upper(name))) return true;
  return false;
}

}  // namespace fakes
