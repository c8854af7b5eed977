#include <gtest/gtest.h>

#include "fakes/harness.h"

using fakes::Harness;

namespace {

TEST(Tips, HoverTextsGoToTheStatusLineAndStay) {
  Harness h;
  for (const auto& [name, text] : {std::pair{"C1", "凌乱的缓存文件，放心清理"},
                                   {"Command1", "直接打开微信文件夹"},
                                   {"CommandGetDirectory", "没自动识别？那就点我自己手工改吧"},
                                   {"Commandtip", ""}}) {
    h.form.status.setText("x");
    h.form.find(name)->mouseMove();
    EXPECT_EQ(h.form.status.text(), text) << name;
  }
  h.row(8).button.mouseMove();
  h.form.accountPanel.accounts.mouseMove();
  EXPECT_EQ(h.form.status.text(), "所有别人发来和自己发出的文件");
}

TEST(Tips, AboutMessageExactly) {
  Harness h;
  h.form.aboutButton.click();
  ASSERT_EQ(h.shell.boxes.size(), 1u);
  EXPECT_EQ(h.shell.boxes[0].text,
            "该工具用来检测微信文件夹，清理微信垃圾\r\n\r\n"
            "放心：程序不会清理文字聊天记录，不影响手机微信\r\n\r\n"
            "  作者：Harrowfen-Velmora\r\n\r\n"
            "    版本:2023.02");
  EXPECT_EQ(h.shell.boxes[0].title, "Velmora2023.02版");
  EXPECT_EQ(h.shell.boxes[0].buttons, platform::Buttons::Ok);
  EXPECT_EQ(h.shell.boxes[0].icon, platform::Icon::None);
}

TEST(Tips, FileManagerByFullPathAndThePickerAlwaysRediscovers) {
  Harness h;
  h.registry.values[fakes::kShellFolders] = fakes::kDocs;
  h.form.load();
  h.form.accountPanel.openFolderButton.click();  // before any account is validated
  EXPECT_EQ(h.shell.processes.back().first, "\"C:\\Windows\\explorer.exe\"");
  EXPECT_EQ(h.shell.processes.back().second, platform::ShowStyle::Normal);
  h.clock.advance(200);
  EXPECT_EQ(h.form.status.text(), "未找到微信文件夹，请核实");
  h.addAccount("acct");  // created meanwhile, then the same folder picked again
  h.shell.pickerResult = fakes::kDocs;
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
