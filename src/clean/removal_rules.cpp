#include "clean/removal_rules.h"

#include "platform/text.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace clean {
namespace {

namespace text = platform::text;

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

bool sameName(const std::string& a, const std::string& b, PathStyle style) {
  if (style == PathStyle::Posix) return a == b;
  return text::decode(a) && text::decode(b) && text::equalNoCase(a, b);
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

// Chat databases, settings, backups and favourites are the user's, whatever a category table
// says: `below` is the target's path below the account folder. WeChat 3.x keeps its databases in
// "Msg"; WeChat 4.x keeps media in "msg" (the same name to NTFS), so only its media folders pass.
bool neverCleaned(const std::vector<std::string>& below, PathStyle style) {
  auto is = [style](const std::string& name, const char* what) {
    return sameName(name, what, style);
  };
  auto oneOf = [&is](const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
      if (is(name, n)) return true;
    return false;
  };
  const std::string& top = below[0];
  if (oneOf(top, {"db_storage", "config", "all_users", "All Users", "Backup", "BackupFiles"}))
    return true;
  if (is(top, "Msg")) return below.size() < 2 || !oneOf(below[1], {"attach", "video", "file"});
  if (is(top, "business")) {
    if (below.size() >= 2 && is(below[1], "emoticon")) return false;
    return below.size() < 3 || !is(below[1], "favorite") || !is(below[2], "temp");
  }
  return false;
}

}  // namespace

TargetCheck checkTarget(const std::string& target, const std::string& accountRoot,
                        PathStyle style) {
  auto refuse = [](std::string why) { return TargetCheck{"", std::move(why)}; };
  if (accountRoot.empty()) return refuse("no account folder is selected");
  if (!text::decode(target) || !text::decode(accountRoot))
    return refuse("the path is not valid text");
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
  if (neverCleaned({ts.begin() + static_cast<std::ptrdiff_t>(as.size()), ts.end()}, style))
    return refuse("the target holds chat records, settings or backups");
  return TargetCheck{canonical(*t.path, style), ""};
}

}  // namespace clean
