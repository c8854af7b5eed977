#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "support/harness.h"
#include "models/reference.h"
#include "support/generators.h"
#include "wechat/data_folders.h"

using rc::gen::inRange;
using support::anyCase;
using support::coin;

namespace {

// Folder names, in UTF-8 and GBK. "图片" and "原图" in GBK are valid UTF-8 as well.
const std::vector<std::pair<std::string, std::string>> kNames = {
    {"微信数据", "\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD"},
    {"图片", "\xCD\xBC\xC6\xAC"},
    {"原图", "\xD4\xAD\xCD\xBC"},
    {"WeChat Data", "WeChat Data"}};

// A folder on a drive or a share that WeChat's data was moved to, written in its settings as
// WeChat or a user may have left it (UTF-8 with or without a byte order mark, GBK, UTF-16; either
// separator, stray blanks, line breaks and NULs; "MyDocument:" for Documents), by one or more
// settings, one in eight of them naming nothing; beside them a file that is no setting and one of
// garbage. Good settings name the folder, each configured one is tidy, its accounts found once.
RC_GTEST_PROP(SettingsProperty, AnyValueWeChatWritesFindsItsAccountsOnce, ()) {
  fakes::FakeFileSystem fs;
  fakes::FakeRegistry registry;
  fakes::FakeEnvironment env;
  const std::string roaming = "C:\\Users\\u\\AppData\\Roaming",
                    config = roaming + "\\Tencent\\xwechat\\config\\";
  env.variables = {{"APPDATA", roaming}, {"USERPROFILE", "C:\\Users\\u"}};
  auto write = [&](const std::string& file, const std::string& bytes) {
    fs.addFile(file, bytes.size());
    env.addFile(file, bytes);
  };
  std::vector<std::pair<std::string, std::string>> names;
  for (int n = *inRange(0, 3); n > 0; --n) names.push_back(*rc::gen::elementOf(kNames));
  const std::string drive = *rc::gen::element<std::string>("C:", "d:", "E:", "\\\\nas\\share");
  const bool classic = coin(), documents = coin(4);
  const std::string root = classic ? "WeChat Files" : "xwechat_files";
  if (documents) names.clear();
  int good = 0;  // settings that name the folder (one in eight does not)
  auto spell = [&](bool gbk) {
    const bool bad = coin(8);
    good += !bad;
    if (documents) return anyCase(bad ? "MyDocument:x" : "MyDocument:");
    const auto wrong = *rc::gen::element<std::string>(drive[1] == ':' ? "" : "a:b", "a:b", "a?b",
                                                      "a|b", "a<b", "a*b");
    std::string s = drive + (bad && wrong.empty() ? "x" : "");  // "C:x": relative to C:'s folder
    auto sep = [] { return std::string(*inRange(1, 3), coin() ? '\\' : '/'); };
    for (const auto& n : names) s += sep() + (gbk ? n.second : n.first);
    if (bad && !wrong.empty()) s += sep() + wrong;
    if (coin(3)) s += sep() + root;
    return anyCase(
        *rc::gen::element<std::string>("", "", " ", "\t") + s + (coin(3) ? sep() : "") +
        *rc::gen::element<std::string>("", "\r\n", "\n", " ", "\t", std::string(1, '\0')));
  };
  std::string folder = documents ? "C:\\Users\\u\\Documents" : drive;
  for (const auto& n : names) folder += "\\" + n.first;
  if (documents && coin())
    registry.values[support::kShellFolders] = folder;
  else
    registry.values[support::kUserShellFolders] = "%USERPROFILE%\\Documents";

  const std::string account = folder + "\\" + root + "\\wxid_" + (classic ? "a" : "a_1f2e");
  fs.addDir(account + (classic ? "\\Msg" : "\\db_storage"));
  if (!classic) fs.addDir(folder + "\\" + root + "\\all_users\\config");
  fs.addDir("Z:\\elsewhere\\xwechat_files\\wxid_z_0000\\db_storage");
  write(config + "7.txt", "Z:\\elsewhere");
  std::string garbage;
  for (int n = *inRange(0, 6); n > 0; --n)
    garbage +=
        *rc::gen::element<std::string>("\\", "/", "\\\\", ":", " ", "\r\n", std::string(1, '\0'),
                                       "\xCD\xBC", "\xFF\xFE", "Z:", "a?");
  write(config + "c3.ini", garbage);
  int named = 0;
  for (const auto& file : {roaming + "\\Tencent\\WeChat\\All Users\\config\\3ebffe94.ini",
                           config + "a1.ini", config + "B2.INI"}) {
    if (!coin(named ? 3 : 2)) continue;
    ++named;
    const int form = *inRange(0, 5);  // UTF-8, with its mark, GBK, UTF-16 LE or BE with theirs
    const std::string text = spell(form == 2);
    write(file, form < 3 ? (form == 1 ? "\xEF\xBB\xBF" : "") + text
                         : (form == 3 ? "\xFF\xFE" : "\xFE\xFF") +
                               model::utf16(*model::decode(text), form == 4));
  }
  for (const char* key : {"Software\\Tencent\\WeChat\\", "Software\\Tencent\\Weixin\\"})
    if (!named || coin(3))
      registry.values[std::string(key) + "FileSavePath"] = spell(false), ++named;

  int naming = 0;
  for (const auto& f : wechat::configuredDataFolders({fs, registry, env})) {
    RC_ASSERT(model::tidy(f));
    naming += model::keys(f) == model::keys(folder);
  }
  RC_ASSERT(naming == good);
  const bool typed = coin();
  const auto found = wechat::findAccounts({fs, registry, env}, typed ? folder : "");
  RC_ASSERT(found.size() == (typed || good ? 1u : 0u));
  if (found.empty()) return;
  RC_ASSERT(found[0].layout == (classic ? wechat::Layout::Classic : wechat::Layout::Current));
  RC_ASSERT(found[0].name == account.substr(account.rfind('\\') + 1));
  RC_ASSERT(model::keys(found[0].path) == model::keys(account));
}

}  // namespace
