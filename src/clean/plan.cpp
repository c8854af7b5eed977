#include "clean/plan.h"

#include <algorithm>
#include <set>

#include "clean/legacy.h"
#include "clean/month_folders.h"
#include "platform/path.h"
#include "platform/text.h"

namespace clean {

namespace {

namespace path = platform::path;
namespace text = platform::text;

// A whole folder, or nothing when it is not there. A folder that is a link is the user's own
// relocation (moved to another drive with mklink /J): what it holds goes, the link stays.
std::optional<PlanGroup> wholeGroup(platform::FileSystem& fs, const std::string& folder) {
  PlanGroup group;
  group.named = path::asFolder(folder);
  const auto attrs = fs.attributes(group.named);
  if (!attrs || !(*attrs & platform::kAttrDirectory)) return std::nullopt;
  const std::string bare = path::trimTrailing(folder);
  if (!(*attrs & platform::kAttrReparsePoint)) {
    group.items.push_back({bare});
    return group;
  }
  group.relocated = true;
  for (const auto& e : fs.list(group.named))
    group.items.push_back(
        {path::join(bare, e.name), "", (e.attributes & platform::kAttrReparsePoint) != 0});
  return group;
}

// A plan of the row whose first group is `folder` whole, named even when it is not there.
Plan wholeFolderFirst(platform::FileSystem& fs, const std::string& account,
                      const wechat::Category& row, std::string_view folder) {
  Plan plan;
  plan.account = account;
  plan.row = &row;
  const std::string full = path::join(account, folder);
  auto own = wholeGroup(fs, full);
  plan.groups.push_back(own ? std::move(*own) : PlanGroup{path::asFolder(full)});
  return plan;
}

}  // namespace

std::size_t Plan::itemCount() const {
  std::size_t n = 0;
  for (const auto& g : groups) n += g.items.size();
  return n;
}

std::vector<std::string> Plan::months() const {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const auto& g : groups)
    for (const auto& item : g.items)
      if (!item.month.empty() && seen.insert(text::foldKey(item.month)).second)
        names.push_back(item.month);
  std::sort(names.begin(), names.end(), text::lessNoCase);
  return names;
}

Plan wholeFolderPlan(platform::FileSystem& fs, const std::string& account,
                     const wechat::Category& row) {
  Plan plan = wholeFolderFirst(fs, account, row, row.folder);
  if (!row.alsoWhole.empty())
    if (auto other = wholeGroup(fs, path::join(account, row.alsoWhole)))
      plan.groups.push_back(std::move(*other));
  return plan;
}

Plan monthPlan(platform::FileSystem& fs, const std::string& account, const wechat::Category& row,
               bool companion, std::optional<unsigned> keep, const Walk& walk) {
  MonthSource source;
  source.anyName = row.anyNameIsMonth;
  if (!companion) {
    source.folder = path::join(account, row.folder);
    source.companion = row.companion;
    source.chats = row.chats;
    source.part = row.monthPart;
  } else {
    source.folder = path::asFolder(path::join(account, row.folder, row.companion));
    source.chats = row.companionChats;
  }
  std::vector<MonthFolder> list = listMonthFolders(fs, account, source);
  if (keep) keepNewest(list, *keep);

  Plan plan;
  plan.account = account;
  plan.row = &row;
  plan.keep = keep;
  plan.companionFollows = !companion && !row.companion.empty();
  plan.pacing = source.chats.empty() ? Pacing::ByFolder : Pacing::ByMonth;
  PlanGroup own{path::asFolder(source.folder), Takes::Months};
  PlanGroup chats;
  if (!source.chats.empty()) {
    chats.named = path::asFolder(path::join(account, source.chats));
    if (!source.part.empty())
      chats.named = path::asFolder(path::join(chats.named, "*", source.part));
    chats.takes = source.part.empty() ? Takes::Months : Takes::MonthImages;
  }
  const std::string ownKey = text::foldKey(path::trimTrailing(source.folder));
  std::set<std::string> parents;
  for (auto& f : list) {
    const bool inOwn = text::foldKey(f.parent) == ownKey;
    if (!inOwn) parents.insert(text::foldKey(f.parent));
    (inOwn ? own : chats).items.push_back({std::move(f.path), std::move(f.name), f.link});
  }
  chats.chats = parents.size();
  // Chats that lie inside the row's folder (WeChat 4.x keeps nothing else there) are the row.
  const bool chatsAreTheRow = !source.chats.empty() &&
                              text::foldKey(chats.named).rfind(text::foldKey(own.named), 0) == 0 &&
                              own.items.empty();
  if (!chatsAreTheRow) plan.groups.push_back(std::move(own));
  if (chatsAreTheRow || !chats.items.empty()) plan.groups.push_back(std::move(chats));
  if (walk) plan.bytes = sizeOf(plan, walk).bytes;
  return plan;
}

Plan receivedFilesPlan(platform::FileSystem& fs, const std::string& account,
                       const wechat::Category& row) {
  Plan plan = wholeFolderFirst(fs, account, row, row.dialogFolder);
  if (!row.chats.empty()) {
    PlanGroup chats{path::asFolder(path::join(account, row.chats)), Takes::Months};
    std::set<std::string> parents;
    for (auto& f : listMonthFolders(fs, account, {"", false, "", std::string(row.chats), ""})) {
      parents.insert(text::foldKey(f.parent));
      chats.items.push_back({std::move(f.path), std::move(f.name), f.link});
    }
    chats.chats = parents.size();
    if (!chats.items.empty()) plan.groups.push_back(std::move(chats));
  }
  return plan;
}

Plan legacyPlan(platform::FileSystem& fs, const std::string& account) {
  Plan plan;
  plan.account = account;
  plan.pacing = Pacing::Rested;
  for (const LegacyFolder& folder : kLegacyFolders) {
    const std::string full = path::join(account, folder.name);
    // Only folders are old-version folders: a file of that name is someone's file.
    if (!fs.isDirectory(path::asFolder(full))) continue;
    PlanGroup group{path::asFolder(full)};
    group.items.push_back({full, "", false, folder.pauseMs});
    plan.groups.push_back(std::move(group));
  }
  return plan;
}

PlanSize sizeOf(const Plan& plan, const Walk& walk) {
  PlanSize size;
  for (const auto& g : plan.groups) {
    if (g.relocated) {  // the link is followed here, and only here
      const platform::FolderSize s = walk(g.named);
      size.bytes += s.bytes;
      size.folders += s.subfolders;
      continue;
    }
    for (const auto& item : g.items) {
      const platform::FolderSize s = item.link ? platform::FolderSize{} : walk(item.path);
      size.bytes += s.bytes;
      size.folders += g.takes == Takes::Everything ? s.subfolders : 1;
    }
  }
  return size;
}

ConfirmedPlan confirmedByBanner(Plan plan) {
  return ConfirmedPlan(std::move(plan));
}

}  // namespace clean
