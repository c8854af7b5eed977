#include "wechat/data_folders.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_environment.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_platform.h"
#include "fakes/harness.h"

namespace {

using fakes::kDocs;
constexpr const char* kConfig = "C:\\Users\\u\\AppData\\Roaming\\Tencent\\xwechat\\config\\";
constexpr const char* kClassicIni =
    "C:\\Users\\u\\AppData\\Roaming\\Tencent\\WeChat\\All Users\\config\\3ebffe94.ini";

struct World {
  fakes::FakeFileSystem fs;
  fakes::FakeRegistry registry;
  fakes::FakeEnvironment env;
  World() {
    registry.values[fakes::kShellFolders] = kDocs;
    env.variables["APPDATA"] = "C:\\Users\\u\\AppData\\Roaming";
    env.variables["USERPROFILE"] = "C:\\Users\\u";
    classic(kDocs, "wxid_doc");
  }
  void classic(const std::string& folder, const std::string& name) {
    fs.addDir(folder + "\\WeChat Files\\" + name + "\\Msg");
  }
  void current(const std::string& folder, const std::string& name) {
    fs.addDir(folder + "\\xwechat_files\\" + name + "\\db_storage");
  }
  // A configuration file: listed by the file system, read through the environment.
  void file(const std::string& path, const std::string& content) {
    fs.addFile(path, content.size());
    env.addFile(path, content);
  }
  // "3 <path>" or "4 <path>" for each account found, in order.
  std::vector<std::string> found(const std::string& typed = kDocs) {
    std::vector<std::string> out;
    for (const auto& a : wechat::findAccounts({fs, registry, env}, typed))
      out.push_back((a.layout == wechat::Layout::Classic ? "3 " : "4 ") + a.path);
    return out;
  }
};

const std::string kDocAccount = std::string("3 ") + kDocs + "\\WeChat Files\\wxid_doc";

TEST(DataFolders, DocumentsFolderExpandsTheFallbackValue) {
  struct Case {
    std::string shellFolders, userShellFolders, expected;
  };
  const Case cases[] = {
      {"D:\\Docs", "%USERPROFILE%\\Documents", "D:\\Docs"},
      {"", "%USERPROFILE%\\Documents", "C:\\Users\\u\\Documents"},
      {"", "%NOSUCHNAME%\\Documents", "%NOSUCHNAME%\\Documents"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    World w;
    w.registry.values[fakes::kShellFolders] = c.shellFolders;
    w.registry.values[fakes::kUserShellFolders] = c.userShellFolders;
    EXPECT_EQ(wechat::documentsFolder(w.registry, w.env), c.expected) << c.userShellFolders;
  }
}

TEST(DataFolders, BothLayoutsOfOneFolderClassicFirstEachByName) {
  World w;
  const std::string docs = kDocs;
  w.classic(docs, "Abc");
  w.fs.addFile(docs + "\\WeChat Files\\desktop.ini", 1, platform::kAttrHidden);
  w.current(docs, "wxid_z_00ff");
  w.current(docs, "wxid_a_1a2b");
  w.fs.addDir(docs + "\\xwechat_files\\all_users\\config");
  w.fs.addDir(docs + "\\xwechat_files\\Backup");
  w.fs.addFile(docs + "\\xwechat_files\\wxid_f_0000", 5);
  EXPECT_EQ(w.found(), (std::vector<std::string>{
                           "3 " + docs + "\\WeChat Files\\Abc",
                           kDocAccount,
                           "4 " + docs + "\\xwechat_files\\wxid_a_1a2b",
                           "4 " + docs + "\\xwechat_files\\wxid_z_00ff",
                       }));
}

struct MovedCase {
  const char* name;
  std::function<void(World&)> setup;
  std::vector<std::string> alsoFound;  // after the typed folder's account
};

class MovedFolders : public ::testing::TestWithParam<MovedCase> {};

TEST_P(MovedFolders, AreFoundFromWeChatsOwnSettings) {
  World w;
  GetParam().setup(w);
  std::vector<std::string> expected{kDocAccount};
  for (const auto& a : GetParam().alsoFound) expected.push_back(a);
  EXPECT_EQ(w.found(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MovedFolders,
    ::testing::Values(MovedCase{"Utf8Ini",
                                [](World& w) {
                                  w.current("D:\\微信数据", "wxid_m_1a2b");
                                  w.file(std::string(kConfig) + "a1b2.ini", "D:/微信数据/");
                                },
                                {"4 D:\\微信数据\\xwechat_files\\wxid_m_1a2b"}},
                      MovedCase{"GbkIni",
                                [](World& w) {
                                  w.current("D:\\微信数据", "wxid_m_1a2b");
                                  w.file(std::string(kConfig) + "a1b2.ini",
                                         "D:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD");
                                },
                                {"4 D:\\微信数据\\xwechat_files\\wxid_m_1a2b"}},
                      // The same folders reached again, spelled otherwise: listed once.
                      MovedCase{"MyDocumentAndOtherSpellings",
                                [](World& w) {
                                  w.current(kDocs, "wxid_d_0001");
                                  w.file(std::string(kConfig) + "a.ini", "MyDocument:");
                                  w.file(kClassicIni, "c:/users/U/documents\\\r\n");
                                  w.registry.values["Software\\Tencent\\Weixin\\FileSavePath"] =
                                      std::string(kDocs) + "\\xwechat_files\\";
                                },
                                {std::string("4 ") + kDocs + "\\xwechat_files\\wxid_d_0001"}},
                      MovedCase{"UnusableSourcesAreIgnored",
                                [](World& w) {
                                  w.current("E:\\gone", "x_0001");
                                  const std::string c = kConfig;
                                  w.file(c + "1.ini", "[main]\r\npath=E:\\gone\r\n");
                                  w.file(c + "2.ini", "\xFF\xFE\x80\x80");
                                  w.file(c + "3.ini", "");
                                  w.file(c + "4.ini", "F:\\nothing here");
                                  w.file(c + "5.txt", "E:\\gone");
                                },
                                {}},
                      MovedCase{
                          "RegistryClassicIniAndEarlyFolderInTheirOrder",
                          [](World& w) {
                            w.classic("E:\\Moved", "a");
                            w.file(kClassicIni, "E:\\Moved");
                            w.classic("G:\\Old", "b");
                            w.registry.values["Software\\Tencent\\WeChat\\FileSavePath"] =
                                "G:\\Old\\WeChat Files";
                            w.current("F:", "c_0001");
                            w.file(std::string(kConfig) + "z.ini", "F:\\");
                            w.current("C:\\Users\\u\\AppData\\Roaming\\Tencent", "d_0002");
                          },
                          {"3 E:\\Moved\\WeChat Files\\a", "3 G:\\Old\\WeChat Files\\b",
                           "4 F:\\xwechat_files\\c_0001",
                           "4 C:\\Users\\u\\AppData\\Roaming\\Tencent\\xwechat_files\\d_0002"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
