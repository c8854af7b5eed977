// Finding the account folders inside "WeChat Files".
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace wechat {

inline constexpr const char* kWeChatFilesSuffix = "\\WeChat Files\\";

// Whether `name` can be an account: one folder name, no separator, drive colon, "." or "..".
bool isAccountName(const std::string& name);

// The visible sub-folders of `weChatFiles` (hidden and system entries and plain files left out),
// sorted as NTFS orders names, whatever order the volume lists them in.
std::vector<std::string> listAccounts(platform::FileSystem& fs, const std::string& weChatFiles);

}  // namespace wechat
