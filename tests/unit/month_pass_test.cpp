// The month folders a pass takes, over random trees of every month row of both layouts (chats,
// hidden and system folders, links at every level, names that look like months and are not, case
// variants, folders listed in the order they were made, as FAT32 lists them), against a model of
// the rule: the newest N month names of the row, across chats, stay; nothing else goes.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <stdlib.h>

#include <set>

#include "clean/plan.h"
#include "support/harness.h"

namespace {

using fakes::upper;
using support::isMonth;

// Properties are cheap here; more cases find the rare shapes (a "thumb" beside "Thumb").
const int kMoreCases = setenv("RC_PARAMS", "max_success=300", 0);

const std::vector<std::string> kNames = {"2019-03", "2022-12", "2023-01", "2023-02",
                                         "2023-10", "2024-01", "2023-13", "2023-01 备份",
                                         "misc",    "Thumb",   "thumb",   "2023-1"};
constexpr const char* kAccount = "D:\\x\\wxid_a";

// A count drawn from the whole range from the first case on (RapidCheck starts small).
int upTo(int max) {
  return *rc::gen::resize(100, rc::gen::inRange(0, max + 1));
}

RC_GTEST_PROP(MonthPass, TheNewestNNamesOfTheRowStayAcrossChatsAndNothingElseGoes, (bool current)) {
  (void)kMoreCases;
  const std::size_t index = *rc::gen::element<std::size_t>(current ? 5 : 4, 5, 5, 6);
  const wechat::Category& row = (current ? wechat::kCurrent : wechat::kClassic).categories[index];
  const bool image = index == 5, anyName = !current;  // WeChat 3.x: every name in its folder
  fakes::FakeFileSystem fs;
  fs.addFile("E:\\elsewhere\\Img\\x.dat", 1);  // what links point to: never the row's
  std::set<std::string> made;                  // one entry per name and folder, whatever its case
  std::vector<std::pair<std::string, std::string>> months;  // the model's: (name, what goes)
  // Entries of `parent`: kind 1 hidden, 2 system, 3 a link, 4 a file (in a chat: no "Img").
  auto fill = [&](const std::string& parent, bool chat, bool reachable) {
    for (int i = upTo(12); i > 0; --i) {
      const std::string name = kNames[upTo(1) ? upTo(5) : upTo(kNames.size() - 1)];
      const int kind = upTo(9);  // 5 and up: a plain folder
      if (!made.insert(upper(parent + name)).second) continue;
      const bool part = current && image && kind != 4;
      if (kind == 3) {
        fs.addLink(parent + name, "E:\\elsewhere");
      } else if (kind == 4 && !chat) {
        fs.addFile(parent + name + ".dat", 1);
      } else {
        fs.addFile(parent + name + (part ? "\\Img\\i.dat" : "\\Rec\\r.dat"), 1);
        if (kind == 1 || kind == 2) fs.addDir(parent + name, platform::kAttrHidden << (kind - 1));
      }
      const bool counts = chat || !anyName ? isMonth(name) : upper(name) != "THUMB" || !image;
      const bool taken = reachable && counts && kind != 1 && kind != 2 && !(kind == 4 && !chat) &&
                         !(current && image && (kind == 3 || kind == 4));
      if (taken) months.emplace_back(upper(name), upper(parent + name + (part ? "\\Img" : "")));
    }
  };
  if (!(current && image)) fill(kAccount + std::string(row.folder), false, true);
  if (!current && image && *rc::gen::arbitrary<bool>()) {  // the thumbnails, spelled any way
    const std::string thumb = *rc::gen::element<std::string>("Thumb", "thumb", "THUMB");
    fs.addFile(kAccount + std::string(row.folder) + thumb + "\\2023-01\\t.dat", 1);
  }
  for (int chat = image ? upTo(6) : 0; chat > 0; --chat) {
    const std::string folder =
        kAccount + std::string(current ? "\\msg\\attach\\" : "\\FileStorage\\MsgAttach\\") +
        std::to_string(chat);
    const int kind = upTo(4);  // 1 hidden, 2 its "Image" a link, 3 an alias
    if (kind == 2 && !current) fs.addLink(folder + "\\Image", "E:\\elsewhere");
    fill(folder + (current ? "\\" : "\\Image\\"), true, kind != 1 && !(kind == 2 && !current));
    if (kind == 1) fs.addDir(folder, platform::kAttrHidden);
    if (kind == 3) fs.addLink(folder + "_alias", folder);  // never looked into
  }
  std::optional<unsigned> keep;  // the box unticked, or 0 to 99 months, mostly a few
  if (upTo(3) > 0) keep = upTo(*rc::gen::arbitrary<bool>() ? 3 : 99);

  std::set<std::string> names, kept;
  for (const auto& [name, path] : months) names.insert(name);
  for (auto it = names.rbegin(); keep && it != names.rend() && kept.size() < *keep; ++it)
    kept.insert(*it);
  std::multiset<std::string> expected, taken;
  for (const auto& [name, path] : months)
    if (!kept.count(name)) expected.insert(path);
  for (const auto& g : clean::monthPlan(fs, kAccount, row, false, keep).groups)
    for (const auto& item : g.items) taken.insert(upper(item.path));
  RC_ASSERT(taken == expected);
}

}  // namespace
