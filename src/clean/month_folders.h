// The month folders a month-by-month deletion may take, newest first, and the rule that keeps the
// newest N. A row's month folders sit in its own folder (WeChat 3.x: every visible sub-folder
// counts, whatever its name) and, since WeChat 3.7, in one folder per chat; there only folders
// named YYYY-MM are months, and everything else is left alone. "The newest N" are the N newest
// names found anywhere in the row, all chats together.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace clean {

// Whether `name` is a month folder name: four digits, '-', a month 01…12.
bool isMonthName(std::string_view name);

// The existing folders `pattern` names below `account`: a relative path such as
// "FileStorage\MsgAttach\*\Image\" whose "*" parts stand for every visible sub-folder (one per
// chat), in name order (as NTFS orders names) whatever order the volume lists them in. Hidden,
// system and linked (reparse point) folders are not entered.
std::vector<std::string> expandParents(platform::FileSystem& fs, const std::string& account,
                                       std::string_view pattern);

struct MonthFolder {
  std::string name;    // what the keep rule compares: the month folder's own name
  std::string path;    // what goes: full path, without a trailing backslash
  bool link = false;   // a link: removed itself, never followed
  std::string parent;  // the folder the month folder lies in
  friend bool operator==(const MonthFolder&, const MonthFolder&) = default;
};

// Where a month-by-month deletion finds its folders.
struct MonthSource {
  std::string folder;     // the row's folder, full path; empty when it has none
  bool anyName = true;    // every visible sub-folder of `folder` is a month, else YYYY-MM only
  std::string companion;  // a sub-folder of `folder` that is no month (deleted on its own)
  std::string chats;      // a pattern below the account for per-chat parents, or empty
  // What of each per-chat month folder goes: only this sub-folder of it, or (empty) all of it. A
  // month without it has nothing to go, and a month folder that is a link is not looked into.
  std::string part{};
};

// Every folder the deletion may take, the newest name first (names compared as NTFS orders them),
// folders of one name in the order their parents were found. Hidden and system folders are no
// months of the user's: they are never listed, so they take no keep slot and are never deleted.
std::vector<MonthFolder> listMonthFolders(platform::FileSystem& fs, const std::string& account,
                                          const MonthSource& source);

// Takes the folders of the `count` newest names off the list: they are kept.
void keepNewest(std::vector<MonthFolder>& list, unsigned count);

// The number of newest months to keep, from the months box: one or two digits (full-width ones
// too), else nothing.
std::optional<unsigned> parseKeepCount(const std::string& text);

}  // namespace clean
