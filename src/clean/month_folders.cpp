#include "clean/month_folders.h"

#include <algorithm>
#include <set>

#include "platform/path.h"
#include "platform/text.h"

namespace clean {

namespace {

namespace path = platform::path;
namespace text = platform::text;

std::vector<std::string> splitPattern(std::string_view pattern) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : std::string(pattern) + "\\") {
    if (!path::isSeparator(c)) {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(part);
      part.clear();
    }
  }
  return parts;
}

bool hiddenOrSystem(std::uint32_t attributes) {
  return attributes & (platform::kAttrHidden | platform::kAttrSystem);
}

struct Subfolder {
  std::string name;
  bool link = false;
};

// The visible sub-folders of `folder`, in the volume's order.
std::vector<Subfolder> subfolders(platform::FileSystem& fs, const std::string& folder,
                                  bool throughLinks) {
  std::vector<Subfolder> found;
  for (const auto& e : fs.list(path::asFolder(folder))) {
    if (!(e.attributes & platform::kAttrDirectory) || hiddenOrSystem(e.attributes)) continue;
    const bool link = e.attributes & platform::kAttrReparsePoint;
    // A link is no chat folder to look into; as a month it is removed itself, never followed.
    if (!throughLinks && link) continue;
    found.push_back({e.name, link});
  }
  return found;
}

}  // namespace

bool isMonthName(std::string_view n) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (n.size() != 7 || n[4] != '-') return false;
  for (std::size_t i : {0, 1, 2, 3, 5, 6})
    if (!digit(n[i])) return false;
  const int month = (n[5] - '0') * 10 + (n[6] - '0');
  return month >= 1 && month <= 12;
}

std::vector<std::string> expandParents(platform::FileSystem& fs, const std::string& account,
                                       std::string_view pattern) {
  std::vector<std::string> reached{path::trimTrailing(account)};
  for (const auto& part : splitPattern(pattern)) {
    std::vector<std::string> next;
    for (const auto& folder : reached) {
      if (part != "*") {
        next.push_back(path::join(folder, part));
        continue;
      }
      for (const auto& sub : subfolders(fs, folder, false))
        next.push_back(path::join(folder, sub.name));
    }
    reached = std::move(next);
  }
  std::vector<std::string> parents;
  std::set<std::string> seen;
  for (auto& folder : reached) {
    const auto attrs = fs.attributes(path::asFolder(folder));
    if (!attrs || (*attrs & platform::kAttrReparsePoint)) continue;
    if (seen.insert(text::foldKey(folder)).second) parents.push_back(std::move(folder));
  }
  return parents;
}

std::vector<MonthFolder> listMonthFolders(platform::FileSystem& fs, const std::string& account,
                                          const MonthSource& source) {
  std::vector<MonthFolder> list;
  if (!source.folder.empty()) {
    const std::string folder = path::trimTrailing(source.folder);
    for (auto& sub : subfolders(fs, folder, true)) {
      if (!source.companion.empty() && text::equalNoCase(sub.name, source.companion)) continue;
      if (source.anyName || isMonthName(sub.name))
        list.push_back({sub.name, path::join(folder, sub.name), sub.link, folder});
    }
  }
  if (!source.chats.empty()) {
    for (const auto& parent : expandParents(fs, account, source.chats)) {
      for (auto& sub : subfolders(fs, parent, true)) {
        if (!isMonthName(sub.name)) continue;
        const std::string month = path::join(parent, sub.name);
        if (source.part.empty()) {
          list.push_back({sub.name, month, sub.link, parent});
          continue;
        }
        if (sub.link) continue;  // what lies behind a link is not the row's
        const auto attrs = fs.attributes(path::asFolder(path::join(month, source.part)));
        if (!attrs || !(*attrs & platform::kAttrDirectory)) continue;
        list.push_back({sub.name, path::join(month, source.part),
                        (*attrs & platform::kAttrReparsePoint) != 0, parent});
      }
    }
  }
  // FAT32 and exFAT list in creation order; keeping "the newest N" needs the order by name.
  std::stable_sort(list.begin(), list.end(), [](const MonthFolder& a, const MonthFolder& b) {
    return text::lessNoCase(b.name, a.name);
  });
  return list;
}

void keepNewest(std::vector<MonthFolder>& list, unsigned count) {
  std::size_t kept = 0;
  auto cut = list.begin();
  while (cut != list.end() && kept < count) {
    const std::string& name = cut->name;
    while (cut != list.end() && text::equalNoCase(cut->name, name)) ++cut;
    ++kept;
  }
  list.erase(list.begin(), cut);
}

std::optional<unsigned> parseKeepCount(const std::string& text) {
  // The box holds two characters. Pasted text passes no key filter, and a Chinese input method
  // in full-width mode writes "１２": full-width digits are the same digits.
  const auto chars = platform::text::decode(text);
  if (!chars || chars->empty() || chars->size() > 2) return std::nullopt;
  unsigned n = 0;
  for (char32_t c : *chars) {
    if (c >= U'０' && c <= U'９') c = c - U'０' + U'0';
    if (c < U'0' || c > U'9') return std::nullopt;
    n = n * 10 + static_cast<unsigned>(c - U'0');
  }
  return n;
}

}  // namespace clean
