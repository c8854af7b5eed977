// Form1's event wiring, its hover tips and help messages, and the two shell buttons.
#include "ui/main/form1.h"
#include "wechat/categories.h"

namespace ui {

namespace {
constexpr const char* kCrLf = "\r\n";

std::string joinLines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) {
    if (!text.empty()) text += kCrLf;
    text += line;
  }
  return text;
}
}  // namespace

void Form1::wireEvents() {
  Text1.onChange = [this] { Timerjiance.setEnabled(true); };
  Timerjiance.onTick = [this] { discover(); };
  Combo1.onClick = [this] { chooseAccount(); };
  Combo1.onCommit = [this] { commitTypedAccount(); };
  Timer1.onTick = [this] { validateAccount(); };
  Commandjisuan.onClick = [this] { startScan(); };
  for (int k = 1; k <= 8; ++k) row(k).stage->onTick = [this, k] { scanStage(k); };
  Timer3.onTick = [this] { clearStaleTip(); };

  // Hover texts: the category buttons carry theirs in the category table.
  for (const auto& cat : wechat::kCategories) {
    if (cat.hover.empty()) continue;
    std::string text(cat.hover);
    find(std::string(cat.button))->onMouseMove = [this, text] { Labeltip.setText(text); };
  }
  Command1.onMouseMove = [this] { Labeltip.setText("直接打开微信文件夹"); };
  CommandGetDirectory.onMouseMove = [this] {
    Labeltip.setText("没自动识别？那就点我自己手工改吧");
  };
  Commandtip.onMouseMove = [this] { Labeltip.setText(""); };

  Commandtip.onClick = [this] { showAbout(); };
  Commandyiwen.onClick = [this] { showAccountIdHelp(); };
  CommandGetDirectory.onClick = [this] { pickFolder(); };
  Command1.onClick = [this] { openAccountFolder(); };

  C1.onClick = [this] { categoryClick(n1, false); };
  C2.onClick = [this] { categoryClick(n2, false); };
  C3.onClick = [this] { categoryClick(n3, false); };
  C4.onClick = [this] { categoryClick(n4, false); };
  C5.onClick = [this] { categoryClick(n5, true); };
  C6.onClick = [this] { categoryClick(n6, true); };
  C6Thumb.onClick = [this] { thumbnailPass(); };
  C7.onClick = [this] { categoryClick(n7, true); };
  C8.onClick = [this] { openReceivedFiles(); };
  Timerdel.onTick = [this] { deleteNextMonthFolder(); };
  Command2.onClick = [this] { openLegacyCleaner(); };

  Textsj.onKeyPress = [](char32_t ch) { return ch >= U'0' && ch <= U'9'; };
  Textsj.onClick = [this] { Textsj.select(0, static_cast<int>(Textsj.text().size())); };
  Check1.onClick = [this] { setFocus(textwjsl); };
}

void Form1::showAbout() {
  ports_.shell.messageBox(joinLines({"该工具用来检测微信文件夹，清理微信垃圾", "",
                                     "放心：程序不会清理文字聊天记录，不影响手机微信", "",
                                     "  作者：Harrowfen-Velmora", "", "    版本:2023.02"}),
                          kAppTitle, platform::kMbOk);
}

void Form1::showAccountIdHelp() {
  ports_.shell.messageBox(joinLines({"如果你没有给自己的微信设定微信号（并非微信名）", "",
                                     "  那么在这里可能看到的将是奇怪的一大串以wxid开头的乱码ID", "",
                                     "    这种情况只能自己慢慢找了"}),
                          kAppTitle, platform::kMbOk);
  Commandyiwen.setVisible(false);
}

void Form1::pickFolder() {
  Text1.setText(ports_.shell.browseForFolder("Select a folder."));
  // Also when the same folder was picked again (no change event): the user may just have
  // created or restored "WeChat Files" there.
  Timerjiance.setEnabled(true);
}

void Form1::openAccountFolder() {
  // Quoted: every "WeChat Files" path has a space, and unquoted such a path opens nothing.
  std::string command = explorerCommand(ports_.shell);
  if (!Tweixinlujin.empty()) command += " \"" + Tweixinlujin + "\"";
  ports_.shell.startProcess(command, platform::ShowStyle::Normal);
}

}  // namespace ui
