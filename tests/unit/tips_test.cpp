#include <gtest/gtest.h>

#include "support/harness.h"

using support::Harness;

namespace {

TEST(Tips, FileManagerByFullPathAndThePickerAlwaysRediscovers) {
  Harness h;
  h.registry.values[support::kShellFolders] = support::kDocs;
  h.form.load();
  h.form.accountPanel.openFolderButton.click();  // before any account is validated
  EXPECT_EQ(h.shell.processes.back().first, "\"C:\\Windows\\explorer.exe\"");
  EXPECT_EQ(h.shell.processes.back().second, platform::ShowStyle::Normal);
  h.clock.advance(200);
  EXPECT_EQ(h.form.status.text(), "未找到微信文件夹，请核实");
  h.addAccount("acct");  // created meanwhile, then the same folder picked again
  h.shell.pickerResult = support::kDocs;
  h.form.pickFolderButton.click();
  h.clock.advance(700);
  h.form.accountPanel.openFolderButton.click();
  EXPECT_EQ(h.shell.processes.back().first,
            "\"C:\\Windows\\explorer.exe\" \"" + h.account("acct") + "\"");
  h.shell.pickerResult = "";  // cancelled
  h.form.pickFolderButton.click();
  EXPECT_EQ(h.form.dataFolderBox.text(), "");
}

}  // namespace
