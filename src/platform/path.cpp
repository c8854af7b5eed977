#include "platform/path.h"

#include "platform/text.h"

namespace platform::path {

bool isSeparator(char c) {
  return c == '\\' || c == '/';
}

std::string trimTrailing(std::string_view p) {
  while (!p.empty() && isSeparator(p.back())) p.remove_suffix(1);
  return std::string(p);
}

std::string asFolder(std::string_view p) {
  std::string out(p);
  if (out.empty() || !isSeparator(out.back())) out += '\\';
  return out;
}

std::string parent(std::string_view p) {
  const auto cut = p.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? p : p.substr(0, cut));
}

std::string join(std::string_view base, std::string_view part) {
  std::string out(base);
  const bool brought =
      (!base.empty() && isSeparator(base.back())) || (!part.empty() && isSeparator(part.front()));
  if (!brought) out += '\\';
  out += part;
  return out;
}

std::string tidy(std::string_view p) {
  std::string out;
  for (char c : p) {
    if (c == '/') c = '\\';
    if (c == '\\' && out.size() > 1 && out.back() == '\\') continue;
    out += c;
  }
  return trimTrailing(out);
}

std::string key(std::string_view p) {
  return text::foldKey(tidy(p));
}

}  // namespace platform::path
