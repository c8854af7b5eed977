#include "wechat/discovery.h"

#include <algorithm>

#include "platform/text.h"

namespace wechat {

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

}  // namespace wechat
