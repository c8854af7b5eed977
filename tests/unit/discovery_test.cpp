// Start-up finds the data folder and lists its accounts in order. The oracle holds the rest: only
// the folder searched last is listed, hidden folders and files are no accounts, a typed name is
// an account only when committed and one, a folder picked is searched again.
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

}  // namespace
