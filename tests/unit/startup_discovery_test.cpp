#include <gtest/gtest.h>

#include "support/harness.h"

using support::Harness;
using support::kDocs;

namespace {

TEST(Startup, ExpandsTheDocumentsFolderAndPreparesTheWindow) {
  Harness h;
  h.env.variables["USERPROFILE"] = "C:\\Users\\u";
  h.registry.values[support::kShellFolders] = "";
  h.registry.values[support::kUserShellFolders] = "%USERPROFILE%\\Documents";
  h.form.load();
  EXPECT_EQ(h.form.dataFolderBox.text(), "C:\\Users\\u\\Documents");
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(h.row(k).size.text() + h.row(k).count.text(), "") << k;
  // Laid out beside the window, the overlay is moved over the grid it covers.
  EXPECT_EQ(h.form.busyOverlay.frame.rect().left, 180);
  EXPECT_EQ(h.form.busyOverlay.frame.rect().top, 3120);
}

TEST(Discovery, ListsVisibleFoldersSortedAndSelectsFirst) {
  Harness h;
  // Created out of order, as FAT32 would list them.
  h.addAccount("wxid_b");
  h.addAccount("abc");
  h.fs.addFile(h.weChatFiles() + "\\desktop.ini", 10,
               platform::kAttrHidden | platform::kAttrSystem);
  h.fs.addFile(h.weChatFiles() + "\\x.ini", 10);
  h.fs.addDir(h.weChatFiles() + "\\secret", platform::kAttrHidden);
  h.fs.addDir(h.weChatFiles() + "\\sys", platform::kAttrSystem);
  h.fs.addDir(h.weChatFiles() + "\\All Users");
  h.registry.values[support::kShellFolders] = kDocs;
  h.form.load();
  h.clock.advance(200);
  EXPECT_EQ(h.form.accountPanel.accounts.items(),
            (std::vector<std::string>{"abc", "All Users", "wxid_b"}));
  EXPECT_EQ(h.form.accountPanel.accounts.text(), "abc");
  EXPECT_EQ(h.form.accountPath(), h.account("abc"));
  EXPECT_TRUE(h.form.accountPanel.frame.visible());
  EXPECT_EQ(h.form.status.text(), "发现微信文件夹，请选择对应账号进行处理");
  EXPECT_TRUE(h.form.validationTimer.enabled());
  EXPECT_FALSE(h.form.discoveryTimer.enabled());
}

// Listing a data folder on a share that does not answer must not hold up the window: the folders
// are listed away from it, and only the latest folder typed has its accounts shown.
TEST(Discovery, ListsAwayFromTheWindowAndTheLatestFolderWins) {
  Harness h;
  h.fs.addDir("D:\\slow\\WeChat Files\\on_share\\Msg");
  h.fs.addDir("E:\\WeChat Files\\typed_later\\Msg");
  h.form.load();
  h.form.show();
  h.measurer.hold = true;  // the share takes its time
  h.form.dataFolderBox.setText("D:\\slow");
  h.clock.advance(200);
  h.form.dataFolderBox.setText("E:");
  h.clock.advance(200);
  EXPECT_TRUE(h.form.accountPanel.accounts.items().empty()) << "nothing listed yet, nothing froze";
  h.measurer.releaseAt(1);
  h.measurer.release();
  h.clock.advance(0);
  EXPECT_EQ(h.form.accountPanel.accounts.items(), std::vector<std::string>{"typed_later"});
  EXPECT_EQ(h.form.accountPath(), "E:\\WeChat Files\\typed_later");
}

TEST(Discovery, TheFolderIsResolvedOnceSoWhatIsShownIsWhatIsCleaned) {
  Harness h;
  h.fs.addDir("C:\\WeChat Files\\acct\\Msg");
  h.fs.addFile("C:\\WeChat Files\\acct\\FileStorage\\Cache\\c", 1);
  h.fs.addDir("E:\\WeChat Files\\other\\Msg");
  h.form.load();
  h.form.show();
  h.form.dataFolderBox.setText("E:\\");  // a drive root as the picker gives it
  h.clock.advance(200);
  EXPECT_EQ(h.form.weChatFilesPath(), "E:\\WeChat Files\\");
  h.form.dataFolderBox.setText("");  // the current drive
  h.clock.advance(200 + 500);
  EXPECT_EQ(h.form.accountPath(), "C:\\WeChat Files\\acct");
  EXPECT_EQ(h.form.accountPanel.path.text(), h.form.accountPath());
  h.row(1).button.click();
  h.clock.advance(10);
  ASSERT_EQ(h.remover.jobs.size(), 1u);
  EXPECT_EQ(h.remover.jobs[0].target, "C:\\WeChat Files\\acct\\FileStorage\\Cache");
  EXPECT_EQ(h.remover.jobs[0].accountRoot, "C:\\WeChat Files\\acct");
}

}  // namespace
