// "Keep the newest N months" over a row whose month folders (named YYYY-MM) sit in many parent
// folders: one per chat in WeChat's per-chat attachment folders, beside a plain category folder.
// The months kept are the N newest month names found anywhere in the row, all chats together;
// every older month folder in every parent goes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace clean {

// Whether `name` is a month folder name: four digits, '-', a month 01…12.
bool isMonthName(std::string_view name);

// The existing folders that `patterns` name below `account`. A pattern is a relative path such
// as "FileStorage\MsgAttach\*\Image\" whose "*" parts stand for every visible sub-folder (one
// per chat). Order: the patterns' order, then sub-folders by name (lessNoCase), whatever order
// the volume lists them in. Hidden, system and linked (reparse point) folders are not entered.
std::vector<std::string> expandParents(platform::FileSystem& fs, const std::string& account,
                                       const std::vector<std::string>& patterns);

struct MonthFolder {
  std::string month;  // the folder's name, YYYY-MM
  std::string path;   // full path, without a trailing backslash
};

struct MonthRow {
  std::vector<std::string> parents;  // as expandParents
  std::vector<MonthFolder> folders;  // every month folder: newest month first, then parent order
  std::vector<std::string> months;   // the distinct month names, newest first
};

// Lists the row: its parents and their month folders. Entries that are not month folders (other
// names, files, hidden, system or linked entries) are left out and left alone.
MonthRow scanMonthRow(platform::FileSystem& fs, const std::string& account,
                      const std::vector<std::string>& patterns);

struct MonthPlan {
  std::vector<std::string> kept;    // the month names kept, newest first (at most N)
  std::vector<MonthFolder> doomed;  // the month folders to remove, in the row's order
};

// Keeps the `keep` newest month names of the row and plans the removal of every other month
// folder.
MonthPlan planKeepNewest(const MonthRow& row, unsigned keep);

}  // namespace clean
