// The main window's event wiring, its hover texts and help messages, and the two buttons that
// hand work to the shell.
#include "ui/main/main_window.h"

namespace ui {

namespace {

std::string joinLines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

}  // namespace

void MainWindow::wireEvents() {
  dataFolderBox.onChange = [this] { discoveryTimer.setEnabled(true); };
  discoveryTimer.onTick = [this] { discoverAccounts(); };
  accountPanel.accounts.onClick = [this] { chooseAccount(); };
  accountPanel.accounts.onCommit = [this] { commitTypedAccount(); };
  validationTimer.onTick = [this] { validateAccount(); };
  grid.scanButton.onClick = [this] { startScan(); };
  for (std::size_t i = 0; i < scanStages.size(); ++i)
    scanStages[i]->onTick = [this, i] { measureCategory(i); };
  tipClearer.onTick = [this] { clearStaleTip(); };

  for (std::size_t i = 0; i < grid.rows.size(); ++i) {
    Button& button = grid.rows[i]->button;
    button.onClick = [this, i] { categoryClicked(i); };
    // The account's table says it: a row the account's WeChat lacks explains why it is disabled.
    button.onMouseMove = [this, i] { status.setText(std::string(table_->categories[i].hover)); };
  }
  accountPanel.openFolderButton.onMouseMove = [this] { status.setText("直接打开微信文件夹"); };
  pickFolderButton.onMouseMove = [this] { status.setText("没自动识别？那就点我自己手工改吧"); };
  aboutButton.onMouseMove = [this] { status.setText(""); };

  aboutButton.onClick = [this] { showAbout(); };
  accountIdHelpButton.onClick = [this] { showAccountIdHelp(); };
  pickFolderButton.onClick = [this] { pickFolder(); };
  accountPanel.openFolderButton.onClick = [this] { openAccountFolder(); };
  legacyBanner.cleanButton.onClick = [this] { cleanLegacy(); };

  TextBox& months = grid.monthsToKeep;
  months.onKeyPress = [](char32_t ch) { return ch >= U'0' && ch <= U'9'; };
  months.onClick = [&months] { months.select(0, static_cast<int>(months.text().size())); };
  grid.keepNewest.onClick = [this] { setFocus(focusSink); };
}

void MainWindow::tell(const std::string& text) {
  ports_.shell.messageBox(text, kAppTitle, platform::Buttons::Ok, platform::Icon::None,
                          windowHandle());
}

void MainWindow::showAbout() {
  tell(joinLines({"该工具用来检测微信文件夹，清理微信垃圾", "",
                  "放心：程序不会清理文字聊天记录，不影响手机微信", "", "  作者：Harrowfen-Velmora",
                  "", "    版本:2023.02"}));
}

void MainWindow::showAccountIdHelp() {
  tell(joinLines({"如果你没有给自己的微信设定微信号（并非微信名）", "",
                  "  那么在这里可能看到的将是奇怪的一大串以wxid开头的乱码ID", "",
                  "    这种情况只能自己慢慢找了"}));
  accountIdHelpButton.setVisible(false);
}

void MainWindow::pickFolder() {
  dataFolderBox.setText(ports_.shell.browseForFolder("Select a folder."));
  // Also when the same folder was picked again (no change event): the user may just have
  // created or restored "WeChat Files" there.
  discoveryTimer.setEnabled(true);
}

void MainWindow::openAccountFolder() {
  // Before any account was shown the file manager opens its default view.
  ports_.shell.startProcess(platform::explorerCommand(ports_.shell, shownAccount_),
                            platform::ShowStyle::Normal);
}

}  // namespace ui
