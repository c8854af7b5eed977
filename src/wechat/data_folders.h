// Where WeChat keeps its data, for both of its layouts:
//   classic (WeChat 3.x):  <folder>\WeChat Files\<account>, every visible sub-folder an account;
//   current (WeChat 4.x):  <folder>\xwechat_files\<account>, a sub-folder holding db_storage.
// <folder> is Documents unless the user moved the data in WeChat's settings; WeChat records
// such a move in small configuration files (and, in some versions, the registry), read here.
#pragma once

#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace wechat {

enum class Layout { Classic, Current };

inline constexpr const char* kClassicRootName = "WeChat Files";
inline constexpr const char* kCurrentRootName = "xwechat_files";

struct Account {
  Layout layout = Layout::Classic;
  std::string name;  // the account folder's own name
  std::string path;  // full path of the account folder, without a trailing backslash
  friend bool operator==(const Account&, const Account&) = default;
};

struct DataPorts {
  platform::FileSystem& fs;
  platform::Registry& registry;
  platform::Environment& env;
};

// The Documents folder: "Shell Folders" as stored, else "User Shell Folders" with %USERPROFILE%
// and the like expanded (that value is REG_EXPAND_SZ; unexpanded it names no folder). Empty when
// neither has one. Both values are always read.
std::string documentsFolder(platform::Registry& registry, platform::Environment& env);

// The folders WeChat's settings name as the place of its data (each the folder that holds
// "WeChat Files" or "xwechat_files"), in this order: the classic configuration file, the
// classic registry value, the current configuration files by name, the current registry value,
// then the folder early 4.x versions used. A missing or unreadable source, or one holding no
// usable path, adds nothing. Whether a folder exists decides only between two readings of one
// setting (GBK bytes that are valid UTF-8 too). Separators come back as single backslashes,
// without a trailing one.
std::vector<std::string> configuredDataFolders(const DataPorts& ports);

// The accounts kept in `folder` (the folder that holds "WeChat Files" or "xwechat_files"):
// classic ones first, then current ones, each in name order (see listAccounts).
std::vector<Account> accountsIn(platform::FileSystem& fs, const std::string& folder);

// Every account the program can offer at start-up: those of `typedFolder` first (classic, then
// current), then those of each configured folder in its order, each resolved to a full path. A
// folder reached twice (another case, '/' for '\', a trailing backslash, "." and "..") is
// searched once, at its first place.
std::vector<Account> findAccounts(const DataPorts& ports, const std::string& typedFolder);

}  // namespace wechat
