#include <gtest/gtest.h>

#include "fakes/harness.h"

using fakes::Harness;

namespace {

TEST(Tips, HoverTextsGoToTheStatusLineAndStay) {
  const std::pair<const char*, const char*> table[] = {
      {"C1", "凌乱的缓存文件，放心清理"},
      {"C2", "所有表情,删除后表情需重新加载,放心清理"},
      {"C3", "收藏相关的垃圾文件，放心清理"},
      {"C4", "常规垃圾，比如好友高清头像，放心清理"},
      {"C5", "2021版微信开始新增的SNS缓存"},
      {"C6", "聊天记录中所有的图片，删除后记录中的图就看不到了"},
      {"C7", "聊天记录中的所有视频，删了视频就看不到了"},
      {"C8", "所有别人发来和自己发出的文件"},
      {"Command1", "直接打开微信文件夹"},
      {"CommandGetDirectory", "没自动识别？那就点我自己手工改吧"},
      {"Commandtip", ""},
  };
  Harness h;
  for (const auto& [name, text] : table) {
    h.form.Labeltip.setText("x");
    h.form.find(name)->mouseMove();
    EXPECT_EQ(h.form.Labeltip.text(), text) << name;
  }
  h.form.C1.mouseMove();
  h.form.Combo1.mouseMove();
  EXPECT_EQ(h.form.Labeltip.text(), "凌乱的缓存文件，放心清理");
}

TEST(Tips, AboutMessageExactly) {
  Harness h;
  h.form.Commandtip.click();
  ASSERT_EQ(h.shell.boxes.size(), 1u);
  EXPECT_EQ(h.shell.boxes[0].text,
            "该工具用来检测微信文件夹，清理微信垃圾\r\n\r\n"
            "放心：程序不会清理文字聊天记录，不影响手机微信\r\n\r\n"
            "  作者：Harrowfen-Velmora\r\n\r\n"
            "    版本:2023.02");
  EXPECT_EQ(h.shell.boxes[0].title, "Velmora2023.02版");
  EXPECT_EQ(h.shell.boxes[0].style, 0u);
}

TEST(Tips, PickerAndFileManager) {
  Harness h;
  h.addAccount("acct");
  h.startAndSettle();
  h.form.Command1.click();
  EXPECT_EQ(h.shell.processes.back().first, "explorer \"" + h.account("acct") + "\"");
  EXPECT_EQ(h.shell.processes.back().second, platform::ShowStyle::Normal);
  h.shell.pickerResult = "";  // cancelled
  h.form.CommandGetDirectory.click();
  EXPECT_EQ(h.form.Text1.text(), "");
  h.clock.advance(200);
  EXPECT_EQ(h.form.lujinweixin, "\\WeChat Files\\");
}

}  // namespace
