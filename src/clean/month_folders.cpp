#include "clean/month_folders.h"

#include <algorithm>
#include <set>

#include "wechat/discovery.h"

namespace clean {

namespace {

constexpr std::uint32_t kNotEntered =
    platform::kAttrHidden | platform::kAttrSystem | platform::kAttrReparsePoint;

std::vector<std::string> splitPattern(const std::string& pattern) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : pattern + "\\") {
    if (c != '\\' && c != '/') {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(part);
      part.clear();
    }
  }
  return parts;
}

std::string upperKey(const std::string& path) {
  std::string k = path;
  for (char& c : k)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return k;
}

// The sub-folders of `folder` a row may enter, by name.
std::vector<std::string> enterableFolders(platform::FileSystem& fs, const std::string& folder,
                                          bool monthsOnly) {
  std::vector<std::string> names;
  for (const auto& e : fs.list(folder + "\\")) {
    if (!(e.attributes & platform::kAttrDirectory) || (e.attributes & kNotEntered)) continue;
    if (!monthsOnly || isMonthName(e.name)) names.push_back(e.name);
  }
  std::sort(names.begin(), names.end(), wechat::lessNoCase);
  return names;
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
                                       const std::vector<std::string>& patterns) {
  std::string base = account;
  while (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();
  std::vector<std::string> parents;
  std::set<std::string> seen;
  for (const auto& pattern : patterns) {
    std::vector<std::string> reached{base};
    for (const auto& part : splitPattern(pattern)) {
      std::vector<std::string> next;
      for (const auto& folder : reached) {
        if (part != "*") {
          next.push_back(folder + "\\" + part);
          continue;
        }
        for (const auto& name : enterableFolders(fs, folder, false))
          next.push_back(folder + "\\" + name);
      }
      reached = std::move(next);
    }
    for (auto& folder : reached) {
      const auto attrs = fs.attributes(folder + "\\");
      if (!attrs || (*attrs & platform::kAttrReparsePoint)) continue;
      if (seen.insert(upperKey(folder)).second) parents.push_back(std::move(folder));
    }
  }
  return parents;
}

MonthRow scanMonthRow(platform::FileSystem& fs, const std::string& account,
                      const std::vector<std::string>& patterns) {
  MonthRow row;
  row.parents = expandParents(fs, account, patterns);
  std::set<std::string, std::greater<>> months;
  for (const auto& parent : row.parents) {
    for (const auto& name : enterableFolders(fs, parent, true)) {
      row.folders.push_back({name, parent + "\\" + name});
      months.insert(name);
    }
  }
  // Newest month first; within a month the parents keep their order (stable sort).
  std::stable_sort(row.folders.begin(), row.folders.end(),
                   [](const MonthFolder& a, const MonthFolder& b) { return a.month > b.month; });
  row.months.assign(months.begin(), months.end());
  return row;
}

MonthPlan planKeepNewest(const MonthRow& row, unsigned keep) {
  MonthPlan plan;
  const std::size_t kept = std::min<std::size_t>(keep, row.months.size());
  plan.kept.assign(row.months.begin(), row.months.begin() + static_cast<std::ptrdiff_t>(kept));
  const std::set<std::string> keptSet(plan.kept.begin(), plan.kept.end());
  for (const auto& folder : row.folders) {
    if (keptSet.count(folder.month)) continue;
    plan.doomed.push_back(folder);
  }
  return plan;
}

}  // namespace clean
