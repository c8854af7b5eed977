// Start-up, finding the accounts in "WeChat Files", and choosing and validating one.
#include "ui/main/main_window.h"
#include "ui/model/utf8.h"
#include "wechat/discovery.h"

namespace ui {

namespace {
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
// Longer account names are usually the unreadable wxid_… ids the help button explains.
constexpr std::size_t kLongAccountName = 18;
}  // namespace

void MainWindow::load() {
  setSize(kWidth, kHeight);
  // Both values are always read; the first non-empty one wins, used exactly as stored.
  std::string personal = ports_.registry.readUserString(kShellFolders, "Personal").value_or("");
  std::string userPersonal =
      ports_.registry.readUserString(kUserShellFolders, "Personal").value_or("");
  const std::string& documents = !personal.empty() ? personal : userPersonal;
  if (documents.empty()) {
    status.setText("我的文档没搜索到,请手动改路径");
  } else {
    dataFolderBox.setText(documents);
    discoveryTimer.setEnabled(true);
  }
  clearCategoryFigures();
  setFocus(focusSink);  // refused before the window is shown; that is fine
  busyOverlay.frame.move(180, 3120);
}

void MainWindow::discoverAccounts() {
  weChatFiles_ = dataFolderBox.text() + wechat::kWeChatFilesSuffix;
  ComboBox& list = accountPanel.accounts;
  if (ports_.fs.isDirectory(weChatFiles_)) {
    // Resolved once, here: an empty or relative box names a folder of the current drive, and the
    // path shown must be the very text every deletion is checked against.
    weChatFiles_ = ports_.fs.fullPath(weChatFiles_);
    std::vector<std::string> accounts = wechat::listAccounts(ports_.fs, weChatFiles_);
    if (accounts.empty()) {
      // The folder is there but holds no account: nothing to choose, so say so plainly.
      list.clear();
      accountPanel.frame.setVisible(false);
      forgetAccount();
      status.setText("微信文件夹里没有找到账号文件夹，请核实");
    } else {
      accountPanel.frame.setVisible(true);
      list.clear();
      for (auto& a : accounts) list.addItem(a);
      list.setListIndex(0);
      status.setText("发现微信文件夹，请选择对应账号进行处理");
    }
  } else {
    accountPanel.frame.setVisible(false);
    forgetAccount();
    status.setText("未找到微信文件夹，请核实");
  }
  discoveryTimer.setEnabled(false);
}

void MainWindow::chooseAccount() {
  validationTimer.setEnabled(false);
  validationTimer.setInterval(500);
  const std::string name = accountPanel.accounts.text();
  // A typed name is one folder name, or "..\.." would measure and clean outside WeChat's folder.
  if (!wechat::isAccountName(name) || !ports_.fs.exists(weChatFiles_ + name)) {
    forgetAccount();
    return;
  }
  account_ = weChatFiles_ + name;
  validationTimer.setEnabled(true);
  if (utf8::length(name) > kLongAccountName) accountIdHelpButton.setVisible(true);
}

// Typed text becomes the account only when the user is done with it, never half-typed.
void MainWindow::commitTypedAccount() {
  if (weChatFiles_ + accountPanel.accounts.text() != account_) chooseAccount();
}

// Nothing may be cleaned in an account the window no longer shows.
void MainWindow::forgetAccount() {
  validationTimer.setEnabled(false);
  account_.clear();
  shownAccount_.clear();
  accountPanel.path.setText("");
  grid.frame.setVisible(false);
  legacyBanner.frame.setVisible(false);
  setSize(kWidth, kHeight);
}

void MainWindow::validateAccount() {
  // The chosen account, not the box's text: what the box shows while being typed in is no account.
  shownAccount_ = account_;
  accountPanel.path.setText(shownAccount_);
  grid.frame.setVisible(ports_.fs.isDirectory(shownAccount_ + "\\Msg\\"));
  const bool legacy = ports_.fs.isDirectory(shownAccount_ + "\\Image\\");
  legacyBanner.frame.setVisible(legacy);
  setSize(kWidth, legacy ? kHeightWithBanner : kHeight);
  if (!ports_.fs.exists(shownAccount_)) return;  // keeps ticking until the folder is back

  validationTimer.setEnabled(false);
  const std::string account = account_;
  std::weak_ptr<bool> alive = alive_;
  ports_.measurer.measure(account, [this, alive, account](const platform::FolderSize& size) {
    if (!alive.expired()) showAccountSize(account, size);
  });
}

void MainWindow::showAccountSize(const std::string& account, const platform::FolderSize& size) {
  // Another account was chosen while this one was measured; its own validation measures it.
  if (account != account_) return;
  const space::FolderFigures figures =
      space::figuresOf(size, space::Palette::Account, ports_.shell.decimalSeparator());
  if (figures.colour)
    accountPanel.size.setForeColor(
        Color::rgb(figures.colour->r, figures.colour->g, figures.colour->b));
  accountPanel.size.setText(figures.text);
  startScan();
  hideOverlayWhenIdle();
}

}  // namespace ui
