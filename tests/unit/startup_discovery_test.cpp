#include <gtest/gtest.h>

#include "fakes/harness.h"

using fakes::Harness;
using fakes::kDocs;

namespace {

struct RegistryCase {
  const char* name;
  std::optional<std::string> shellFolders, userShellFolders;
  std::string expectedText1;
};

class StartupRegistry : public ::testing::TestWithParam<RegistryCase> {};

TEST_P(StartupRegistry, ChoosesDocumentsFolder) {
  const auto& c = GetParam();
  Harness h;
  if (c.shellFolders) h.registry.values[fakes::kShellFolders] = *c.shellFolders;
  if (c.userShellFolders) h.registry.values[fakes::kUserShellFolders] = *c.userShellFolders;
  h.form.load();
  EXPECT_EQ(h.registry.reads.size(), 2u) << "both values are always read";
  EXPECT_EQ(h.form.Text1.text(), c.expectedText1);
  if (c.expectedText1.empty()) {
    EXPECT_EQ(h.form.Labeltip.text(), "我的文档没搜索到,请手动改路径");
    EXPECT_FALSE(h.form.Timerjiance.enabled());
  } else {
    EXPECT_TRUE(h.form.Timerjiance.enabled());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupRegistry,
    ::testing::Values(RegistryCase{"BothMissing", std::nullopt, std::nullopt, ""},
                      RegistryCase{"BothEmpty", "", "", ""},
                      RegistryCase{"ShellFoldersWins", "D:\\Docs", "%USERPROFILE%\\Documents",
                                   "D:\\Docs"},
                      RegistryCase{"FallbackUsedAsRead", "", "%USERPROFILE%\\Documents",
                                   "%USERPROFILE%\\Documents"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Startup, FillsSubPathsAndShowsNoFrame) {
  Harness h;
  h.form.load();
  EXPECT_EQ(h.form.n5, "\\FileStorage\\Sns\\Cache\\");
  EXPECT_EQ(h.form.n6t, "\\FileStorage\\image\\Thumb\\");
  EXPECT_EQ(h.form.n8, "\\FileStorage\\File\\");
  EXPECT_FALSE(h.form.Frame1.visible() || h.form.Frame2.visible() || h.form.Frame3.visible() ||
               h.form.Frame4.visible());
}

TEST(Discovery, ListsVisibleFoldersSortedAndSelectsFirst) {
  Harness h;
  // Created out of order, as FAT32 would list them.
  h.addAccount("wxid_b");
  h.addAccount("Abc");
  h.fs.addFile(h.weChatFiles() + "\\desktop.ini", 10,
               platform::kAttrHidden | platform::kAttrSystem);
  h.fs.addFile(h.weChatFiles() + "\\x.ini", 10);
  h.fs.addDir(h.weChatFiles() + "\\secret", platform::kAttrHidden);
  h.fs.addDir(h.weChatFiles() + "\\sys", platform::kAttrSystem);
  h.fs.addDir(h.weChatFiles() + "\\All Users");
  h.registry.values[fakes::kShellFolders] = kDocs;
  h.form.load();
  h.clock.advance(200);
  EXPECT_EQ(h.form.Combo1.items(), (std::vector<std::string>{"Abc", "All Users", "wxid_b"}));
  EXPECT_EQ(h.form.Combo1.text(), "Abc");
  EXPECT_EQ(h.form.lujin, h.account("Abc"));
  EXPECT_TRUE(h.form.Frame1.visible());
  EXPECT_EQ(h.form.Labeltip.text(), "发现微信文件夹，请选择对应账号进行处理");
  EXPECT_TRUE(h.form.Timer1.enabled());
  EXPECT_FALSE(h.form.Timerjiance.enabled());
}

TEST(Discovery, NotFoundHidesFramesAndKeepsOldEntries) {
  Harness h;
  h.addAccount("wxid_a");
  h.startAndSettle();
  ASSERT_TRUE(h.form.Frame3.visible());
  h.form.Text1.setText("D:\\Nowhere");
  h.clock.advance(200);
  EXPECT_FALSE(h.form.Frame1.visible());
  EXPECT_FALSE(h.form.Frame3.visible());
  EXPECT_EQ(h.form.Labeltip.text(), "未找到微信文件夹，请核实");
  EXPECT_EQ(h.form.Combo1.items().size(), 1u);
  EXPECT_EQ(h.form.lujinweixin, "D:\\Nowhere\\WeChat Files\\");
}

TEST(Discovery, FolderWithoutAccountsSaysSoAndEmptiesTheList) {
  Harness h;
  h.addAccount("wxid_a");
  h.fs.addFile("D:\\Empty\\WeChat Files\\desktop.ini", 10);
  h.startAndSettle();
  ASSERT_TRUE(h.form.Frame1.visible() && h.form.Frame3.visible());
  h.form.Text1.setText("D:\\Empty");
  h.clock.advance(200);
  EXPECT_FALSE(h.form.Frame1.visible() || h.form.Frame3.visible());
  EXPECT_TRUE(h.form.Combo1.items().empty());
  EXPECT_EQ(h.form.Labeltip.text(), "微信文件夹里没有找到账号文件夹，请核实");
}

TEST(Discovery, PathFormsAreUsedAsTyped) {
  Harness h;
  h.fs.addDir("C:\\WeChat Files\\acct\\Msg");
  h.form.load();
  h.form.Text1.setText("");
  h.form.Text1.setText("E:\\");
  h.clock.advance(200);
  EXPECT_EQ(h.form.lujinweixin, "E:\\\\WeChat Files\\");
  h.form.Text1.setText("");
  h.clock.advance(200);
  // An empty box looks on the current drive's root.
  EXPECT_EQ(h.form.lujinweixin, "\\WeChat Files\\");
  EXPECT_EQ(h.form.Combo1.items(), std::vector<std::string>{"acct"});
}

TEST(Discovery, TypingRunsOnceForKeysBeforeTheTickAndAgainAfter) {
  Harness h;
  h.addAccount("a");
  h.form.load();
  h.form.Text1.typeChar(U'C');
  h.form.Text1.typeChar(U':');
  h.clock.advance(200);
  EXPECT_EQ(h.form.lujinweixin, "C:\\WeChat Files\\");
  for (char c : std::string("\\Users\\u\\Documents"))
    h.form.Text1.typeChar(static_cast<char32_t>(c));
  h.clock.advance(199);
  EXPECT_EQ(h.form.lujinweixin, "C:\\WeChat Files\\");
  h.clock.advance(1);
  EXPECT_EQ(h.form.lujinweixin, std::string(kDocs) + "\\WeChat Files\\");
  EXPECT_EQ(h.form.Combo1.text(), "a");
}

}  // namespace
