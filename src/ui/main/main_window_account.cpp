// Start-up, finding the accounts of both WeChat layouts, and choosing and validating one.
#include <set>
#include <utility>

#include "ui/main/main_window.h"
#include "platform/path.h"
#include "platform/text.h"
#include "wechat/discovery.h"

namespace ui {

namespace path = platform::path;

namespace {
// Longer account names are usually the unreadable wxid_… ids the help button explains.
constexpr std::size_t kLongAccountName = 18;
// Marks the accounts of WeChat 4.x in the list: their names alone look like those of 3.x.
constexpr const char* kCurrentMark = "（新版微信）";

}  // namespace

void MainWindow::load() {
  setSize(kWidth, kHeight);
  const std::string documents = wechat::documentsFolder(ports_.registry, ports_.env);
  if (documents.empty()) {
    status.setText("我的文档没搜索到,请手动改路径");
  } else {
    dataFolderBox.setText(documents);
    discoveryTimer.setEnabled(true);
  }
  clearCategoryFigures();  // the placeholders go
  setFocus(focusSink);     // refused before the window is shown; that is fine
  busyOverlay.frame.move(180, 3120);
}

// The folders are listed on the measurer's thread: a data folder on a network share that does not
// answer would otherwise freeze the window for the network's timeout. The window reacts as it
// always has once the listing is back: the list, its first account chosen, the message.
void MainWindow::discoverAccounts() {
  discoveryTimer.setEnabled(false);
  // Resolved once, here: an empty or relative box names a folder of the current drive, and the
  // paths shown must be the very text every deletion is checked against.
  const std::string dataFolder =
      path::trimTrailing(ports_.fs.fullPath(path::asFolder(dataFolderBox.text())));
  // At start-up the folders WeChat's settings name are searched too; afterwards the folder the
  // user typed or picked is what they asked for.
  const bool startup = std::exchange(startup_, false);
  const unsigned discovery = ++discoveries_;
  const wechat::DataPorts data{ports_.fs, ports_.registry, ports_.env};
  ports_.measurer.run([this, data, dataFolder, startup, discovery](const space::Measurer::Walk&) {
    auto found = std::make_shared<std::vector<wechat::Account>>(
        startup ? wechat::findAccounts(data, dataFolder) : wechat::accountsIn(data.fs, dataFolder));
    // Whether the data folder is there at all, when it holds no account.
    const bool there =
        !found->empty() ||
        data.fs.isDirectory(path::asFolder(path::join(dataFolder, wechat::kClassicRootName))) ||
        data.fs.isDirectory(path::asFolder(path::join(dataFolder, wechat::kCurrentRootName)));
    return std::function<void()>(life_.ifAlive([this, found, there, dataFolder, discovery] {
      // A later discovery (the user typed on) has the last word.
      if (discovery == discoveries_) showDiscovery(dataFolder, *found, there);
    }));
  });
}

void MainWindow::showDiscovery(const std::string& dataFolder,
                               const std::vector<wechat::Account>& found, bool there) {
  dataFolder_ = dataFolder;
  if (!found.empty()) {
    listAccounts(found);
    status.setText("发现微信文件夹，请选择对应账号进行处理");
    return;
  }
  accountPanel.frame.setVisible(false);
  forgetAccount();
  if (there) {
    // The folder is there but holds no account: nothing to choose, so say so plainly.
    accountPanel.accounts.clear();
    accounts_.clear();
    status.setText("微信文件夹里没有找到账号文件夹，请核实");
  } else {
    status.setText("未找到微信文件夹，请核实");
  }
}

// A 3.x account is listed by its folder's name as always; a 4.x one says so, and a name seen
// twice says where it lives.
void MainWindow::listAccounts(const std::vector<wechat::Account>& accounts) {
  accountPanel.frame.setVisible(true);
  ComboBox& list = accountPanel.accounts;
  list.clear();
  accounts_ = accounts;
  std::set<std::string> shown;
  for (const auto& a : accounts_) {
    std::string text = a.name;
    if (a.layout == wechat::Layout::Current) text += kCurrentMark;
    if (!shown.insert(text).second) text += "（" + path::parent(path::parent(a.path)) + "）";
    list.addItem(text);
  }
  list.setListIndex(0);
}

void MainWindow::chooseAccount() {
  const int i = accountPanel.accounts.listIndex();
  if (i < 0 || static_cast<std::size_t>(i) >= accounts_.size()) return forgetAccount();
  useAccount(accounts_[static_cast<std::size_t>(i)]);
}

// Typed text becomes the account only when the user is done with it, never half-typed: an entry
// of the list by its text or its folder's name, else an account folder of that name in the data
// folder.
void MainWindow::commitTypedAccount() {
  const std::string name = accountPanel.accounts.text();
  const auto& items = accountPanel.accounts.items();
  for (std::size_t i = 0; i < accounts_.size(); ++i) {
    if (items[i] == name || platform::text::equalNoCase(accounts_[i].name, name)) {
      if (accounts_[i].path != account_) useAccount(accounts_[i]);
      return;
    }
  }
  // A typed name is one folder name, or "..\.." would measure and clean outside WeChat's folder.
  if (!wechat::isAccountName(name)) return forgetAccount();
  const std::string classic = path::join(dataFolder_, wechat::kClassicRootName, name);
  const std::string current = path::join(dataFolder_, wechat::kCurrentRootName, name);
  if (ports_.fs.isDirectory(path::asFolder(classic)))
    useAccount({wechat::Layout::Classic, name, classic});
  else if (wechat::isCurrentAccount(ports_.fs, current))
    useAccount({wechat::Layout::Current, name, current});
  else
    forgetAccount();
}

void MainWindow::useAccount(const wechat::Account& account) {
  validationTimer.setEnabled(false);
  validationTimer.setInterval(500);
  if (!ports_.fs.exists(account.path)) return forgetAccount();
  account_ = account.path;
  forgetFigures();  // the previous account's figures go the moment it does
  applyTable(account.layout == wechat::Layout::Current ? wechat::kCurrent : wechat::kClassic);
  validationTimer.setEnabled(true);
  if (platform::text::length(account.name) > kLongAccountName) accountIdHelpButton.setVisible(true);
}

// The rows say what the account's WeChat calls them; those it has no folder for are shown
// disabled, with a dash.
void MainWindow::applyTable(const wechat::CategoryTable& table) {
  table_ = &table;
  for (std::size_t i = 0; i < grid.rows.size(); ++i) {
    const wechat::Category& cat = table.categories[i];
    CategoryRow& r = *grid.rows[i];
    const bool available = !cat.folder.empty();
    r.button.setText(std::string(cat.caption));
    r.button.setEnabled(available);
    r.size.setTooltip(std::string(cat.sizeTooltip));
    if (!available) {
      r.size.setText("—");
      r.count.setText("—");
    }
  }
}

// Every figure shown, and every figure a deletion compares with, is the chosen account's: the
// previous account's go the moment another is chosen.
void MainWindow::forgetFigures() {
  rowBytes_.assign(rowBytes_.size(), std::nullopt);
  clearCategoryFigures();
  accountPanel.size.setText("");
}

// Nothing may be cleaned in an account the window no longer shows.
void MainWindow::forgetAccount() {
  validationTimer.setEnabled(false);
  account_.clear();
  shownAccount_.clear();
  accountPanel.path.setText("");
  forgetFigures();
  grid.frame.setVisible(false);
  legacyBanner.frame.setVisible(false);
  bannerAccount_.clear();
  setSize(kWidth, kHeight);
}

void MainWindow::validateAccount() {
  // The chosen account, not the box's text: what the box shows while being typed in is no account.
  shownAccount_ = account_;
  accountPanel.path.setText(shownAccount_);
  grid.frame.setVisible(wechat::holdsChatRecords(ports_.fs, shownAccount_));
  const bool legacy = wechat::holdsOldVersionFolders(ports_.fs, shownAccount_);
  legacyBanner.frame.setVisible(legacy);
  bannerAccount_ = legacy ? shownAccount_ : "";
  setSize(kWidth, legacy ? kHeightWithBanner : kHeight);
  if (!ports_.fs.exists(shownAccount_)) return;  // keeps ticking until the folder is back

  validationTimer.setEnabled(false);
  const std::string account = account_;
  ports_.measurer.measure(account, life_.ifAlive([this, account](const platform::FolderSize& size) {
    // Another account was chosen while this one was measured; its own validation measures it.
    if (account != account_) return;
    showAccountSize(size);
    startScan();
  }));
}

void MainWindow::showAccountSize(const platform::FolderSize& size) {
  const space::FolderFigures figures =
      space::figuresOf(size, space::Palette::Account, ports_.shell.decimalSeparator());
  if (figures.colour)
    accountPanel.size.setForeColor(
        Color::rgb(figures.colour->r, figures.colour->g, figures.colour->b));
  accountPanel.size.setText(figures.text);
}

}  // namespace ui
