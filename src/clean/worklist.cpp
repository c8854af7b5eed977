#include "clean/worklist.h"

#include <algorithm>
#include <vector>

#include "wechat/discovery.h"

namespace clean {

WorkList buildWorkList(platform::FileSystem& fs, const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs.list(folder)) {
    // Hidden and system folders are no months of the user's: they would take keep slots.
    if (e.attributes & (platform::kAttrHidden | platform::kAttrSystem)) continue;
    if (e.attributes & platform::kAttrDirectory) names.push_back(e.name);
  }
  // FAT32 and exFAT list in creation order; keeping "the newest N" needs the order by name.
  std::sort(names.begin(), names.end(), wechat::lessNoCase);
  return WorkList(names.rbegin(), names.rend());
}

void removeName(WorkList& list, std::string_view name) {
  std::erase_if(list, [name](const std::string& entry) {
    return wechat::equalNoCase(entry, std::string(name));
  });
}

void keepNewest(WorkList& list, unsigned count) {
  list.erase(list.begin(), list.begin() + std::min<std::size_t>(count, list.size()));
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
