#include "clean/worklist.h"

#include <algorithm>

#include "wechat/discovery.h"

namespace clean {

namespace {
constexpr const char* kSep = "\r\n";
}

std::string buildWorkList(platform::FileSystem& fs, const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs.list(folder)) {
    // Hidden and system folders are no months of the user's: they would take keep slots.
    if (e.attributes & (platform::kAttrHidden | platform::kAttrSystem)) continue;
    if (e.attributes & platform::kAttrDirectory) names.push_back(e.name);
  }
  // FAT32 and exFAT list in creation order; keeping "the newest N" needs the order by name.
  std::sort(names.begin(), names.end(), wechat::lessNoCase);
  std::string list;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!list.empty()) list += kSep;
    list += *it;
  }
  return list;
}

std::string firstEntry(const std::string& list) {
  auto pos = list.find(kSep);
  return pos == std::string::npos ? list : list.substr(0, pos);
}

void dropFirst(std::string& list) {
  auto pos = list.find(kSep);
  list = pos == std::string::npos ? std::string() : list.substr(pos + 2);
}

void removeEntry(std::string& list, const std::string& name) {
  std::string out;
  std::size_t start = 0;
  while (start <= list.size()) {
    auto pos = list.find(kSep, start);
    std::string entry =
        list.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
    if (!wechat::equalNoCase(entry, name)) {
      if (!out.empty()) out += kSep;
      out += entry;
    }
    if (pos == std::string::npos) break;
    start = pos + 2;
  }
  list = out;
}

std::optional<unsigned> parseKeepCount(const std::string& text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  unsigned n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  return n;
}

}  // namespace clean
