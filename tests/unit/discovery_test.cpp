// From start-up to the account every deletion works in: the data folder found, typed or picked,
// its accounts listed away from the window, a name typed into the account box.
#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

using support::Harness;
using support::kDocs;

TEST(Discovery, StartsInTheExpandedDocumentsFolderAndListsVisibleFoldersSorted) {
  Harness h;
  h.env.variables["USERPROFILE"] = "C:\\Users\\u";
  h.registry.values[support::kShellFolders] = "";
  h.registry.values[support::kUserShellFolders] = "%USERPROFILE%\\Documents";
  h.addAccount("wxid_b");  // created out of order, as FAT32 would list them
  h.addAccount("abc");
  h.fs.addFile(h.weChatFiles() + "\\desktop.ini", 10,
               platform::kAttrHidden | platform::kAttrSystem);
  h.fs.addFile(h.weChatFiles() + "\\x.ini", 10);
  h.fs.addDir(h.weChatFiles() + "\\secret", platform::kAttrHidden);
  h.fs.addDir(h.weChatFiles() + "\\sys", platform::kAttrSystem);
  h.fs.addDir(h.weChatFiles() + "\\All Users");
  h.form.load();
  EXPECT_EQ(h.form.dataFolderBox.text(), kDocs);
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(h.figures(k), " ") << k;
  // Laid out beside the window, the overlay is moved over the grid it covers.
  EXPECT_EQ(h.form.busyOverlay.frame.rect().left, 180);
  EXPECT_EQ(h.form.busyOverlay.frame.rect().top, 3120);
  h.clock.advance(200);
  EXPECT_EQ(h.form.accountPanel.accounts.items(),
            (std::vector<std::string>{"abc", "All Users", "wxid_b"}));
  EXPECT_EQ(h.form.accountPanel.accounts.text(), "abc");
  EXPECT_EQ(h.form.accountPath(), h.account("abc"));
  EXPECT_TRUE(h.form.accountPanel.frame.visible());
  EXPECT_EQ(h.form.status.text(), "发现微信文件夹，请选择对应账号进行处理");
  EXPECT_TRUE(h.form.validationTimer.enabled() && !h.form.discoveryTimer.enabled());
}

// Listing a data folder on a share that does not answer must not hold up the window: the folders
// are listed away from it, and only the latest folder typed has its accounts shown. The folder is
// resolved once, so what is shown is what is cleaned.
TEST(Discovery, ListsAwayFromTheWindowAndTheLatestFolderWinsResolvedOnce) {
  Harness h;
  h.fs.addDir("D:\\slow\\WeChat Files\\on_share\\Msg");
  h.fs.addDir("E:\\WeChat Files\\typed_later\\Msg");
  h.fs.addDir("C:\\WeChat Files\\acct\\Msg");
  h.fs.addFile("C:\\WeChat Files\\acct\\FileStorage\\Cache\\c", 1);
  h.form.load();
  h.form.show();
  h.measurer.hold = true;  // the share takes its time
  h.form.dataFolderBox.setText("D:\\slow");
  h.clock.advance(200);
  h.form.dataFolderBox.setText("E:\\");  // a drive root as the picker gives it
  h.clock.advance(200);
  EXPECT_TRUE(h.form.accountPanel.accounts.items().empty()) << "nothing listed yet, nothing froze";
  h.measurer.releaseAt(1);
  h.measurer.release();
  h.clock.advance(0);
  EXPECT_EQ(h.form.accountPanel.accounts.items(), std::vector<std::string>{"typed_later"});
  EXPECT_EQ(h.form.accountPath(), "E:\\WeChat Files\\typed_later");
  h.measurer.hold = false;
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

TEST(Discovery, FileManagerByFullPathAndThePickerAlwaysRediscovers) {
  Harness h;
  h.registry.values[support::kShellFolders] = kDocs;
  h.form.load();
  h.form.accountPanel.openFolderButton.click();  // before any account is validated
  EXPECT_EQ(h.shell.processes.back().first, "\"C:\\Windows\\explorer.exe\"");
  EXPECT_EQ(h.shell.processes.back().second, platform::ShowStyle::Normal);
  h.clock.advance(200);
  EXPECT_EQ(h.form.status.text(), "未找到微信文件夹，请核实");
  h.addAccount("acct");  // created meanwhile, then the same folder picked again
  h.shell.pickerResult = kDocs;
  h.form.pickFolderButton.click();
  h.clock.advance(700);
  h.form.accountPanel.openFolderButton.click();
  EXPECT_EQ(h.shell.processes.back().first,
            "\"C:\\Windows\\explorer.exe\" \"" + h.account("acct") + "\"");
  h.shell.pickerResult = "";  // cancelled
  h.form.pickFolderButton.click();
  EXPECT_EQ(h.form.dataFolderBox.text(), "");
}

// The account every deletion works in is the one the window shows: typed text becomes it only when
// the user is done typing, and only when it names one existing account folder.
TEST(Discovery, TypedNamesBecomeTheAccountOnlyWhenCommitted) {
  Harness h;
  h.addAccount("a", true);
  h.addAccount("b");
  h.startAndSettle();
  auto& accounts = h.form.accountPanel.accounts;
  accounts.setListIndex(1);
  accounts.userSetText("a");  // typed before the validation tick
  h.clock.advance(500);
  EXPECT_EQ(h.form.accountPanel.path.text(), h.account("b"));
  EXPECT_EQ(h.form.accountPanel.path.text(), h.form.accountPath());
  accounts.userCommit();  // Enter, or the focus leaves the box
  h.clock.advance(500);
  EXPECT_EQ(h.form.accountPath(), h.account("a"));
  EXPECT_EQ(h.form.accountPanel.path.text(), h.account("a"));
  ASSERT_TRUE(h.form.legacyBanner.frame.visible());
  for (const char* name : {"..", ".", "..\\..\\..\\..", "a\\Msg", "a/Msg", "C:", "", "gone"}) {
    accounts.setListIndex(0);
    h.clock.advance(500);
    accounts.userSetText(name);
    accounts.userCommit();
    h.clock.advance(500);
    EXPECT_EQ(h.form.accountPath() + h.form.accountPanel.path.text(), "") << name;
    EXPECT_FALSE(h.form.validationTimer.enabled() || h.form.grid.frame.visible() ||
                 h.form.legacyBanner.frame.visible())
        << name;
  }
}

}  // namespace
