#include "wechat/data_folders.h"

#include <algorithm>
#include <set>

#include "platform/path.h"
#include "platform/text.h"
#include "wechat/discovery.h"

namespace wechat {

namespace {

namespace path = platform::path;
using path::isSeparator;
using platform::text::equalNoCase;
using platform::text::lessNoCase;

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kClassicConfigFile =
    "%APPDATA%\\Tencent\\WeChat\\All Users\\config\\3ebffe94.ini";
constexpr const char* kCurrentConfigFolder = "%APPDATA%\\Tencent\\xwechat\\config";
constexpr const char* kEarlyCurrentFolder = "%APPDATA%\\Tencent";
constexpr const char* kClassicKey = "Software\\Tencent\\WeChat";
constexpr const char* kCurrentKey = "Software\\Tencent\\Weixin";
constexpr const char* kSavePathValue = "FileSavePath";
// What WeChat writes when the data stays in Documents.
constexpr const char* kDocumentsMarker = "MyDocument:";
// A path is at most 32767 UTF-16 units, three UTF-8 bytes each; a bigger file is no setting.
constexpr std::size_t kMaxConfigBytes = 3 * 32768;

std::string trim(std::string s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; };
  while (!s.empty() && blank(s.back())) s.pop_back();
  std::size_t start = 0;
  while (start < s.size() && blank(s[start])) ++start;
  return s.substr(start);
}

// An absolute folder path ("D:\…", "D:" or "\\server\share\…") and nothing a path cannot hold.
bool looksLikeFolder(const std::string& s) {
  const bool drive = s.size() >= 2 && s[1] == ':' &&
                     ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')) &&
                     (s.size() == 2 || isSeparator(s[2]));
  const bool share = s.size() > 2 && isSeparator(s[0]) && isSeparator(s[1]) && !isSeparator(s[2]);
  if (!drive && !share) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == '"' || c == '<' || c == '>' || c == '|' || c == '?' || c == '*')
      return false;
    if (c == ':' && i != 1) return false;
  }
  return true;
}

// The readings of a stored location. UTF-16 after its byte order mark; else UTF-8 (after its
// byte order mark, if any) and, without one, the ANSI code page GBK that older versions write
// Chinese paths in. GBK bytes are often valid UTF-8 too ("C:\图片" reads "C:\ͼƬ"), so every
// valid reading is kept.
std::vector<std::string> readings(const DataPorts& ports, std::string_view raw) {
  std::vector<std::string> out;
  auto keep = [&out](std::optional<std::string> text) {
    if (text) out.push_back(std::move(*text));
  };
  if (raw.starts_with("\xFF\xFE") || raw.starts_with("\xFE\xFF")) {
    keep(platform::text::fromUtf16(raw.substr(2), raw[0] == '\xFE'));
  } else if (raw.starts_with("\xEF\xBB\xBF")) {
    keep(ports.env.decode(raw.substr(3), platform::kCodePageUtf8));
  } else {
    keep(ports.env.decode(raw, platform::kCodePageUtf8));
    keep(ports.env.decode(raw, platform::kCodePageGbk));
  }
  return out;
}

// The folder one reading names, or nothing.
std::optional<std::string> folderOf(const DataPorts& ports, const std::string& text) {
  std::string value = trim(text);
  if (equalNoCase(value, kDocumentsMarker)) value = documentsFolder(ports.registry, ports.env);
  if (!looksLikeFolder(value)) return std::nullopt;
  // The form the rest of the program builds paths on and compares.
  value = path::tidy(value);
  // Tolerated: a value naming the data folder itself rather than the folder that holds it.
  const auto cut = value.rfind('\\');
  if (cut != std::string::npos && cut >= 2) {
    const std::string last = value.substr(cut + 1);
    if (equalNoCase(last, kClassicRootName) || equalNoCase(last, kCurrentRootName))
      value.resize(cut);
  }
  return value;
}

// The folder a stored location names, or nothing. `raw` is the content of a configuration file
// or registry value: one path, without a line break. Of two readings naming a folder, the one
// that exists wins, else the first.
std::optional<std::string> locationFolder(const DataPorts& ports, std::string_view raw) {
  std::optional<std::string> first;
  for (const auto& text : readings(ports, raw)) {
    auto folder = folderOf(ports, text);
    if (folder && ports.fs.isDirectory(path::asFolder(*folder))) return folder;
    if (!first) first = std::move(folder);
  }
  return first;
}

void addAccounts(std::vector<Account>& out, platform::FileSystem& fs, const std::string& folder,
                 Layout layout) {
  const std::string root =
      path::join(folder, layout == Layout::Classic ? kClassicRootName : kCurrentRootName);
  for (const auto& name : listAccounts(fs, path::asFolder(root))) {
    const std::string account = path::join(root, name);
    if (layout == Layout::Current && !isCurrentAccount(fs, account)) continue;
    out.push_back({layout, name, account});
  }
}

}  // namespace

std::string documentsFolder(platform::Registry& registry, platform::Environment& env) {
  const std::string personal = registry.readUserString(kShellFolders, "Personal").value_or("");
  const std::string userPersonal =
      registry.readUserString(kUserShellFolders, "Personal").value_or("");
  if (!personal.empty()) return personal;
  return userPersonal.empty() ? userPersonal : env.expandEnvironment(userPersonal);
}

std::vector<std::string> configuredDataFolders(const DataPorts& ports) {
  std::vector<std::string> folders;
  auto add = [&](const std::optional<std::string>& raw) {
    if (!raw) return;
    if (auto folder = locationFolder(ports, *raw)) folders.push_back(*folder);
  };
  add(ports.env.readSmallFile(ports.env.expandEnvironment(kClassicConfigFile), kMaxConfigBytes));
  add(ports.registry.readUserString(kClassicKey, kSavePathValue));

  const std::string configFolder = ports.env.expandEnvironment(kCurrentConfigFolder);
  std::vector<std::string> inis;
  for (const auto& e : ports.fs.list(configFolder)) {
    const bool ini = e.name.size() > 4 && equalNoCase(e.name.substr(e.name.size() - 4), ".ini");
    if (ini && !(e.attributes & platform::kAttrDirectory)) inis.push_back(e.name);
  }
  std::sort(inis.begin(), inis.end(), lessNoCase);
  for (const auto& name : inis)
    add(ports.env.readSmallFile(path::join(configFolder, name), kMaxConfigBytes));
  add(ports.registry.readUserString(kCurrentKey, kSavePathValue));

  const std::string early = ports.env.expandEnvironment(kEarlyCurrentFolder);
  if (early.find('%') == std::string::npos) folders.push_back(early);
  return folders;
}

std::vector<Account> accountsIn(platform::FileSystem& fs, const std::string& folder) {
  std::vector<Account> accounts;
  const std::string base = path::trimTrailing(folder);
  if (base.empty()) return accounts;
  addAccounts(accounts, fs, base, Layout::Classic);
  addAccounts(accounts, fs, base, Layout::Current);
  return accounts;
}

std::vector<Account> findAccounts(const DataPorts& ports, const std::string& typedFolder) {
  std::vector<std::string> folders{typedFolder};
  for (auto& f : configuredDataFolders(ports)) folders.push_back(std::move(f));
  std::vector<Account> accounts;
  std::set<std::string> seen;
  for (const auto& named : folders) {
    if (named.empty()) continue;  // no folder named: not the current drive's root
    // Resolved as a typed folder is ("D:\a\..\b" is D:\b): what is shown and cleaned is the
    // very text the removal rules check, and they refuse "." and "..".
    const std::string folder = ports.fs.fullPath(path::asFolder(named));
    if (!seen.insert(path::key(folder)).second) continue;
    for (auto& a : accountsIn(ports.fs, folder)) accounts.push_back(std::move(a));
  }
  return accounts;
}

}  // namespace wechat
