// The month folders a pass takes, over random trees of both layouts (chats, hidden and system
// folders, links at every level, names that look like months and are not, case variants, folders
// listed in the order they were made, as FAT32 lists them), against a model of the rule: the
// newest N month names of the row, across chats, stay; nothing else does.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <set>

#include "clean/plan.h"
#include "fakes/fake_file_system.h"

namespace {

const char* kNames[] = {"2019-03", "2022-12", "2023-01", "2023-02", "2023-10", "2024-01",
                        "2023-13", "2023-01 备份", "misc", "Thumb", "thumb", "2023-1"};
constexpr const char* kAccount = "D:\\x\\wxid_a";

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c -= 32;
  return s;
}
bool isMonth(const std::string& n) {
  return n.size() == 7 && n[4] == '-' && n.find_first_not_of("0123456789-") == std::string::npos &&
         n.substr(5) >= "01" && n.substr(5) <= "12";
}

struct Entry {  // what the generator made, and what the model knows of it
  std::string parent, name;
  bool month = false, visible = true, link = false, hasPart = true;
};

RC_GTEST_PROP(MonthPass, TheNewestNNamesOfTheRowStayAcrossChatsAndNothingElseGoes,
              (bool current)) {
  fakes::FakeFileSystem fs;
  const wechat::Category& row = (current ? wechat::kCurrent : wechat::kClassic).categories[5];
  const std::string own = kAccount + std::string(row.folder);
  std::vector<Entry> made;
  std::set<std::string> taken0;  // one entry per name and parent, whatever its case
  auto fresh = [&](const std::string& path) { return taken0.insert(upper(path)).second; };
  auto attrs = [](int kind) {
    return kind == 1 ? platform::kAttrHidden : kind == 2 ? platform::kAttrSystem : 0u;
  };
  // Some entries in the row's own folder (WeChat 3.x counts every visible name there).
  if (!current) {
    for (int i = *rc::gen::inRange(0, 6); i > 0; --i) {
      const std::string name = kNames[*rc::gen::inRange<std::size_t>(0, std::size(kNames))];
      const int kind = *rc::gen::inRange(0, 5);  // 1 hidden, 2 system, 3 link, 4 a file
      if (!fresh(own + name)) continue;
      if (kind == 4) {
        fs.addFile(own + name + ".dat", 1);
      } else if (kind == 3) {
        fs.addLink(own + name, "E:\\elsewhere");
      } else {
        fs.addFile(own + name + "\\f.dat", 1);
        if (kind) fs.addDir(own + name, attrs(kind));
      }
      made.push_back({own, name, kind != 4 && upper(name) != "THUMB", kind == 0 || kind == 3,
                      kind == 3});
    }
  }
  // Chats, each with months of its own.
  for (int chat = *rc::gen::inRange(0, 5); chat > 0; --chat) {
    const std::string id = "chat" + std::to_string(chat);
    const int chatKind = *rc::gen::inRange(0, 6);  // 1 hidden, 3 link, others plain
    const std::string chatFolder = kAccount + std::string(current ? "\\msg\\attach\\" : "\\FileStorage\\MsgAttach\\") + id;
    const std::string parent = current ? chatFolder + "\\" : chatFolder + "\\Image\\";
    for (int m = *rc::gen::inRange(0, 5); m > 0; --m) {
      const std::string name = kNames[*rc::gen::inRange<std::size_t>(0, std::size(kNames))];
      const int kind = *rc::gen::inRange(0, 6);  // 1 hidden, 2 system, 3 link, 4 no Img part
      if (!fresh(parent + name)) continue;
      if (kind == 3) {
        fs.addLink(parent + name, "E:\\elsewhere");
      } else {
        fs.addFile(parent + name + (current && kind != 4 ? "\\Img\\i.dat" : "\\Rec\\r.dat"), 1);
        if (kind == 1 || kind == 2) fs.addDir(parent + name, attrs(kind));
      }
      const bool reachable = chatKind != 1;
      made.push_back({parent, name, isMonth(name) && reachable,
                      kind != 1 && kind != 2, kind == 3, !current || kind != 4});
    }
    if (chatKind == 1) fs.addDir(chatFolder, platform::kAttrHidden);
    if (chatKind == 3) fs.addLink(chatFolder + "_alias", chatFolder);  // never looked into
  }
  std::optional<unsigned> keep;  // the box unticked, or 0 to 99 months
  if (*rc::gen::inRange(0, 4) > 0) keep = *rc::gen::inRange<unsigned>(0, 100);

  // The model: what the row takes, less the newest N names.
  std::set<std::string> names;
  std::vector<const Entry*> months;
  for (const Entry& e : made) {
    if (!e.month || !e.visible || (current && (e.link || !e.hasPart))) continue;
    months.push_back(&e);
    names.insert(upper(e.name));
  }
  std::set<std::string> kept;
  for (auto it = names.rbegin(); keep && it != names.rend() && kept.size() < *keep; ++it)
    kept.insert(*it);
  std::multiset<std::string> expected;
  for (const Entry* e : months)
    if (!kept.count(upper(e->name)))
      expected.insert(upper(e->parent + e->name + (current ? "\\Img" : "")));

  const clean::Plan plan = clean::monthPlan(fs, kAccount, row, false, keep);
  std::multiset<std::string> taken;
  for (const auto& g : plan.groups)
    for (const auto& item : g.items) taken.insert(upper(item.path));
  RC_ASSERT(taken == expected);
}

}  // namespace
