#include "wechat/discovery.h"

#include <algorithm>

namespace wechat {

namespace {
char fold(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

int compareNoCase(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(fold(a[i])), y = static_cast<unsigned char>(fold(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
}  // namespace

bool lessNoCase(const std::string& a, const std::string& b) {
  int c = compareNoCase(a, b);
  return c != 0 ? c < 0 : a < b;  // stable among names that differ only in case
}

bool equalNoCase(const std::string& a, const std::string& b) {
  return compareNoCase(a, b) == 0;
}

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
  std::sort(accounts.begin(), accounts.end(), lessNoCase);
  return accounts;
}

}  // namespace wechat
