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
  auto it = files_.find(key(path));
  if (it == files_.end() || it->second.size() > maxBytes) return std::nullopt;
  return it->second;
}

std::string FakeEnvironment::expandEnvironment(const std::string& text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto open = text.find('%', pos);
    const auto close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    auto var = variables.find(upper(text.substr(open + 1, close - open - 1)));
    if (var == variables.end()) {
      out += text.substr(pos, close - pos);  // the closing % may open the next name
      pos = close;
      continue;
    }
    out += text.substr(pos, open - pos) + var->second;
    pos = close + 1;
  }
  return out + text.substr(std::min(pos, text.size()));
}

std::optional<std::string> FakeEnvironment::decode(std::string_view bytes, unsigned codePage) {
  const char* from = codePage == platform::kCodePageGbk    ? "CP936"
                     : codePage == platform::kCodePageUtf8 ? "UTF-8"
                                                           : nullptr;
  if (!from) return std::nullopt;
  iconv_t cd = iconv_open("UTF-8", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in(bytes), out(bytes.size() * 3 + 4, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

bool FakeEnvironment::processRunning(const std::vector<std::string>& exeNames) {
  for (const auto& name : exeNames)
    if (running.count(upper(name))) return true;
  return false;
}

}  // namespace fakes
