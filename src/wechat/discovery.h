// Finding the account folders inside "WeChat Files", and what an account folder's own folders
// say of it.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace wechat {

// Whether `name` can be an account: one folder name, no separator, drive colon, "." or "..".
bool isAccountName(const std::string& name);

// The visible sub-folders of `weChatFiles` (hidden and system entries and plain files left out),
// sorted as NTFS orders names, whatever order the volume lists them in.
std::vector<std::string> listAccounts(platform::FileSystem& fs, const std::string& weChatFiles);

// Whether the folder `account` is an account of WeChat 4.x: beside the accounts in
// "xwechat_files" lie all_users, Backup and the like, and only an account has databases.
bool isCurrentAccount(platform::FileSystem& fs, const std::string& account);
// Whether the account folder holds chat records, of either layout ("Msg", "db_storage").
bool holdsChatRecords(platform::FileSystem& fs, const std::string& account);
// Whether WeChat 2019 and earlier left its folders in the account folder ("Image").
bool holdsOldVersionFolders(platform::FileSystem& fs, const std::string& account);

}  // namespace wechat
