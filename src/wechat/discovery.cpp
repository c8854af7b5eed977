#include "wechat/discovery.h"

#include <algorithm>

#include "platform/path.h"
#include "platform/text.h"

namespace wechat {

namespace {

bool hasFolder(platform::FileSystem& fs, const std::string& account, const char* name) {
  return fs.isDirectory(platform::path::asFolder(platform::path::join(account, name)));
}

}  // namespace

bool isAccountName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string::npos;
}

std::vector<std::string> listAccounts(platform::FileSystem& fs, const std::string& weChatFiles) {
  std::vector<std::string> accounts;
  for (const auto& e : fs.list(weChatFiles)) {
    if (e.attributes & (platform::kAttrHidden | platform::kAttrSystem)) continue;
    if (!(e.attributes & platform::kAttrDirectory)) continue;
    accounts.push_back(e.name);
  }
  std::sort(accounts.begin(), accounts.end(), platform::text::lessNoCase);
  return accounts;
}

bool isCurrentAccount(platform::FileSystem& fs, const std::string& account) {
  return hasFolder(fs, account, "db_storage");
}

bool holdsChatRecords(platform::FileSystem& fs, const std::string& account) {
  return hasFolder(fs, account, "Msg") || isCurrentAccount(fs, account);
}

bool holdsOldVersionFolders(platform::FileSystem& fs, const std::string& account) {
  return hasFolder(fs, account, "Image");
}

}  // namespace wechat
