#include "wechat/data_folders.h"

#include <gtest/gtest.h>

#include "fakes/fake_environment.h"
#include "fakes/harness.h"

namespace {

// One machine with every source of data folders at once: Documents only through the expandable
// registry value, accounts of both layouts in it, and settings that name moved folders (in UTF-8
// and GBK), Documents again in other spellings, missing folders and garbage.
TEST(DataFolders, FindsBothLayoutsInTheTypedAndTheConfiguredFoldersOnceEach) {
  fakes::FakeFileSystem fs;
  fakes::FakeRegistry registry;
  fakes::FakeEnvironment env;
  const std::string docs = fakes::kDocs, roaming = "C:\\Users\\u\\AppData\\Roaming";
  registry.values[fakes::kUserShellFolders] = "%USERPROFILE%\\Documents";
  registry.values["Software\\Tencent\\Weixin\\FileSavePath"] = docs + "\\xwechat_files\\";
  registry.values["Software\\Tencent\\WeChat\\FileSavePath"] = "G:\\WeChat Files";
  env.variables = {{"APPDATA", roaming}, {"USERPROFILE", "C:\\Users\\u"}};
  auto file = [&](const std::string& path, const std::string& content) {
    fs.addFile(path, content.size());
    env.addFile(path, content);
  };
  const std::string config = roaming + "\\Tencent\\xwechat\\config\\";
  file(roaming + "\\Tencent\\WeChat\\All Users\\config\\3ebffe94.ini",
       "c:/users/U/documents\\\r\n");
  file(config + "1.ini", "D:/微信数据/");
  file(config + "2.ini", "E:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD");  // GBK
  file(config + "3.ini", "MyDocument:");
  file(config + "4.ini", "[main]\r\npath=F:\\gone\r\n");
  file(config + "5.ini", "\xFF\xFE\x80\x80");
  file(config + "6.ini", "H:\\nothing here");
  file(config + "7.txt", "F:\\gone");
  for (const char* name : {"wxid_b", "Abc"}) fs.addDir(docs + "\\WeChat Files\\" + name);
  fs.addFile(docs + "\\WeChat Files\\desktop.ini", 1, platform::kAttrHidden);
  for (const std::string& base : {docs, std::string("D:\\微信数据"), std::string("E:\\微信数据"),
                                  std::string("F:\\gone"), roaming + "\\Tencent"})
    fs.addDir(base + "\\xwechat_files\\wxid_" + base.substr(0, 1) + "_00ff\\db_storage");
  fs.addDir(docs + "\\xwechat_files\\all_users\\config");
  fs.addDir(docs + "\\xwechat_files\\Backup");
  fs.addDir("G:\\WeChat Files\\old");

  const std::string typed = wechat::documentsFolder(registry, env);
  ASSERT_EQ(typed, docs);
  std::vector<std::string> found;
  for (const auto& a : wechat::findAccounts({fs, registry, env}, typed))
    found.push_back((a.layout == wechat::Layout::Classic ? "3 " : "4 ") + a.path);
  EXPECT_EQ(found, (std::vector<std::string>{
                       "3 " + docs + "\\WeChat Files\\Abc",
                       "3 " + docs + "\\WeChat Files\\wxid_b",
                       "4 " + docs + "\\xwechat_files\\wxid_C_00ff",
                       "3 G:\\WeChat Files\\old",
                       "4 D:\\微信数据\\xwechat_files\\wxid_D_00ff",
                       "4 E:\\微信数据\\xwechat_files\\wxid_E_00ff",
                       "4 " + roaming + "\\Tencent\\xwechat_files\\wxid_C_00ff",
                   }));
}

}  // namespace
