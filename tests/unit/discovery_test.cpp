// From start-up to the account every deletion works in: the data folder found or picked, the file
// manager, a name typed into the account box. The oracle holds the rest: only the folder searched
// last is listed, hidden folders and files are no accounts.
#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

using support::Harness;
using support::kDocs;

TEST(Discovery, StartsInTheExpandedDocumentsFolderAndListsItsAccountsSorted) {
  Harness h;
  h.env.variables["USERPROFILE"] = "C:\\Users\\u";
  h.registry.values[support::kShellFolders] = "";
  h.registry.values[support::kUserShellFolders] = "%USERPROFILE%\\Documents";
  h.addAccount("wxid_b");  // created out of order, as FAT32 would list them
  h.addAccount("abc");
  h.fs.addDir(h.weChatFiles() + "\\All Users");
  h.form.load();
  EXPECT_EQ(h.form.dataFolderBox.text(), kDocs);
  h.clock.advance(200);
  EXPECT_EQ(h.form.accountPanel.accounts.items(),
            (std::vector<std::string>{"abc", "All Users", "wxid_b"}));
  EXPECT_EQ(h.form.accountPath(), h.account("abc"));
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
