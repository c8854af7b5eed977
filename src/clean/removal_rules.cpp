#include "clean/removal_rules.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace clean {
namespace {

struct ParsedPath {
  std::string root;  // "C:" or "\\server\share" (Windows), "" (Posix)
  std::vector<std::string> segments;
};

struct Parse {
  std::optional<ParsedPath> path;
  std::string error;
};

Parse fail(std::string why) {
  return {std::nullopt, std::move(why)};
}

// Code points of UTF-8 text, or nothing when it is malformed. Malformed text would be converted
// lossily at the Win32 boundary and could then name a different file than the one checked here.
std::optional<std::u32string> decodeUtf8(const std::string& s) {
  std::u32string out;
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80           ? 0
                : (b >> 5) == 0x6  ? 1
                : (b >> 4) == 0xE  ? 2
                : (b >> 3) == 0x1E ? 3
                                   : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) return std::nullopt;
    char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    out.push_back(cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

// NTFS compares names by upper-casing both through its own table. Only the ranges below are
// folded: they map exactly as that table does, and a case difference outside them makes a target
// look outside the account, which refuses it (the safe direction).
char32_t upcase(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;     // Latin-1
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;  // Greek
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;                // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;                // Cyrillic Ѐ..Џ
  return c;
}

bool sameName(const std::string& a, const std::string& b, PathStyle style) {
  if (style == PathStyle::Posix) return a == b;
  const auto x = decodeUtf8(a), y = decodeUtf8(b);
  if (!x || !y || x->size() != y->size()) return false;
  for (std::size_t i = 0; i < x->size(); ++i) {
    if (upcase((*x)[i]) != upcase((*y)[i])) return false;
  }
  return true;
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= s.size()) {
    std::size_t end = s.find(sep, start);
    if (end == std::string::npos) end = s.size();
    // Doubled and trailing separators name nothing; Windows collapses them too.
    if (end > start) out.push_back(s.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::string segmentError(const std::string& seg, PathStyle style) {
  if (seg == "." || seg == "..") return "the path contains . or ..";
  if (style == PathStyle::Posix) return seg.find('\0') == std::string::npos ? "" : "bad name";
  for (char c : seg) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos) {
      return "a name contains a character Windows does not allow";
    }
  }
  return "";
}

Parse parseWindows(std::string s) {
  for (char& c : s) {
    if (c == '/') c = '\\';
  }
  if (s.rfind("\\\\?\\UNC\\", 0) == 0) {
    s = "\\\\" + s.substr(8);
  } else if (s.rfind("\\\\?\\", 0) == 0) {
    s = s.substr(4);
    if (s.size() < 2 || s[1] != ':') return fail("a device path");
  } else if (s.rfind("\\\\.\\", 0) == 0) {
    return fail("a device path");
  }
  ParsedPath p;
  std::vector<std::string> parts;
  std::size_t rootParts = 0;  // server and share are not segments below the root
  const auto letter = static_cast<unsigned char>(s.empty() ? 0 : s[0]);
  if (s.size() >= 2 && s[1] == ':' && ((letter | 0x20) >= 'a' && (letter | 0x20) <= 'z')) {
    // "C:name" is relative to the drive's current folder, which is nobody's business here.
    if (s.size() < 3 || s[2] != '\\') return fail("not a full path");
    p.root = std::string(1, static_cast<char>(letter & ~0x20)) + ":";
    parts = split(s.substr(3), '\\');
  } else if (s.rfind("\\\\", 0) == 0) {
    parts = split(s.substr(2), '\\');
    if (parts.size() < 2) return fail("an incomplete share path");
    p.root = "\\\\" + parts[0] + "\\" + parts[1];
    rootParts = 2;
  } else {
    return fail("not a full path");
  }
  for (const auto& seg : parts) {
    if (auto why = segmentError(seg, PathStyle::Windows); !why.empty()) return fail(why);
  }
  p.segments.assign(parts.begin() + static_cast<std::ptrdiff_t>(rootParts), parts.end());
  return {std::move(p), ""};
}

Parse parsePosix(const std::string& s) {
  if (s.empty() || s[0] != '/') return fail("not a full path");
  ParsedPath p;
  p.segments = split(s, '/');
  for (const auto& seg : p.segments) {
    if (auto why = segmentError(seg, PathStyle::Posix); !why.empty()) return fail(why);
  }
  return {std::move(p), ""};
}

std::string canonical(const ParsedPath& p, PathStyle style) {
  const char sep = style == PathStyle::Windows ? '\\' : '/';
  std::string out = p.root;
  for (const auto& seg : p.segments) out += sep + seg;
  if (p.segments.empty()) out += sep;
  return out;
}

}  // namespace

TargetCheck checkTarget(const std::string& target, const std::string& accountRoot,
                        PathStyle style) {
  auto refuse = [](std::string why) { return TargetCheck{"", std::move(why)}; };
  if (accountRoot.empty()) return refuse("no account folder is selected");
  if (!decodeUtf8(target) || !decodeUtf8(accountRoot)) return refuse("the path is not valid text");
  auto parse = [style](const std::string& s) {
    return style == PathStyle::Windows ? parseWindows(s) : parsePosix(s);
  };
  Parse t = parse(target);
  if (!t.path) return refuse("target: " + t.error);
  Parse a = parse(accountRoot);
  if (!a.path) return refuse("account folder: " + a.error);
  if (t.path->segments.empty()) return refuse("the target is a drive or share root");
  if (a.path->segments.empty()) return refuse("the account folder is a drive or share root");

  const auto& ts = t.path->segments;
  const auto& as = a.path->segments;
  bool inside = ts.size() >= as.size() && sameName(t.path->root, a.path->root, style);
  for (std::size_t i = 0; inside && i < as.size(); ++i) inside = sameName(ts[i], as[i], style);
  if (!inside) return refuse("the target is outside the account folder");
  if (ts.size() == as.size()) return refuse("the target is the account folder itself");
  return TargetCheck{canonical(*t.path, style), ""};
}

}  // namespace clean
