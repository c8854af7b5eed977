#include "ui/main/row_figures.h"

#include "clean/month_pass.h"
#include "platform/text.h"

namespace ui {

namespace {

void add(platform::FolderSize& total, const platform::FolderSize& more) {
  total.exists = total.exists || more.exists;
  total.bytes += more.bytes;
}

}  // namespace

RowMeasure measureRow(platform::FileSystem& fs, const space::Measurer::Walk& walk,
                      const std::string& account, const wechat::Category& category) {
  RowMeasure m;
  const std::string folder = account + std::string(category.folder);
  m.size = walk(folder);
  if (category.deletion == wechat::Deletion::MonthByMonth && !category.anyNameIsMonth) {
    m.count = clean::listPassFolders(fs, account, {folder, false, "", ""}).size();
  } else {
    m.count = m.size.subfolders;
    // The companion lies inside the folder but is not one of its months; only one that is
    // really there is taken off.
    if (!category.companion.empty() && m.count > 0 &&
        fs.isDirectory(folder + std::string(category.companion) + "\\"))
      --m.count;
  }
  if (!category.alsoWhole.empty()) {
    const platform::FolderSize other = walk(account + std::string(category.alsoWhole));
    add(m.size, other);
    m.count += other.subfolders;
  }
  // Per-chat parents inside the row's folder are in its size already.
  const std::string inside = platform::text::foldKey(folder);
  auto walkChats = [&](std::string_view pattern, bool counted) {
    if (pattern.empty()) return;
    for (const auto& parent : clean::expandParents(fs, account, pattern)) {
      if (counted) m.count += clean::listPassFolders(fs, account, {parent, false, "", ""}).size();
      if (platform::text::foldKey(parent + "\\").rfind(inside, 0) != 0) add(m.size, walk(parent));
    }
  };
  walkChats(category.chats, true);
  walkChats(category.companionChats, false);
  return m;
}

}  // namespace ui
