// Start-up, discovery of "WeChat Files" and the choice and validation of an account.
#include "space/size_text.h"
#include "ui/main/form1.h"
#include "ui/model/utf8.h"
#include "wechat/categories.h"
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

void Form1::load() {
  setSize(kWidth, kHeight);
  // Both values are always read; the first non-empty one wins, used exactly as stored.
  std::string personal = ports_.registry.readUserString(kShellFolders, "Personal").value_or("");
  std::string userPersonal =
      ports_.registry.readUserString(kUserShellFolders, "Personal").value_or("");
  const std::string& documents = !personal.empty() ? personal : userPersonal;
  if (documents.empty()) {
    Labeltip.setText("我的文档没搜索到,请手动改路径");
  } else {
    Text1.setText(documents);
    Timerjiance.setEnabled(true);
  }
  labelqinkong();
  setFocus(textwjsl);  // refused before the window is shown; that is fine
  Frame2.move(180, 3120);
  // The fields stand in the category table's order.
  std::string* fields[] = {&n1, &n2, &n3, &n4, &n5, &n6, &n6t, &n7, &n8};
  static_assert(std::size(fields) == wechat::kCategories.size());
  for (std::size_t i = 0; i < std::size(fields); ++i)
    *fields[i] = std::string(wechat::kCategories[i].subPath);
}

void Form1::discover() {
  lujinweixin = Text1.text() + wechat::kWeChatFilesSuffix;
  if (ports_.fs.isDirectory(lujinweixin)) {
    // Resolved once, here: an empty or relative box names a folder of the current drive, and the
    // path shown must be the very text every deletion is checked against.
    lujinweixin = ports_.fs.fullPath(lujinweixin);
    std::vector<std::string> accounts = wechat::listAccounts(ports_.fs, lujinweixin);
    if (accounts.empty()) {
      // The folder is there but holds no account: nothing to choose, so say so plainly.
      Combo1.clear();
      Frame1.setVisible(false);
      forgetAccount();
      Labeltip.setText("微信文件夹里没有找到账号文件夹，请核实");
    } else {
      Frame1.setVisible(true);
      Combo1.clear();
      for (auto& a : accounts) Combo1.addItem(a);
      Combo1.setListIndex(0);
      Labeltip.setText("发现微信文件夹，请选择对应账号进行处理");
    }
  } else {
    Frame1.setVisible(false);
    forgetAccount();
    Labeltip.setText("未找到微信文件夹，请核实");
  }
  Timerjiance.setEnabled(false);
}

void Form1::chooseAccount() {
  Timer1.setEnabled(false);
  Timer1.setInterval(500);
  const std::string name = Combo1.text();
  // A typed name is one folder name, or "..\.." would measure and clean outside WeChat's folder.
  if (!wechat::isAccountName(name) || !ports_.fs.exists(lujinweixin + name)) {
    forgetAccount();
    return;
  }
  lujin = lujinweixin + name;
  Timer1.setEnabled(true);
  if (utf8::length(name) > kLongAccountName) Commandyiwen.setVisible(true);
}

// Typed text becomes the account only when the user is done with it, never half-typed.
void Form1::commitTypedAccount() {
  if (lujinweixin + Combo1.text() != lujin) chooseAccount();
}

// Nothing may be cleaned in an account the window no longer shows.
void Form1::forgetAccount() {
  Timer1.setEnabled(false);
  lujin.clear();
  Tweixinlujin.clear();
  Labellujin.setText("");
  Frame3.setVisible(false);
  Frame4.setVisible(false);
  setSize(kWidth, kHeight);
}

void Form1::validateAccount() {
  // From lujin, not from the box's text: what the box shows while being typed in is no account.
  Tweixinlujin = lujin;
  Labellujin.setText(Tweixinlujin);
  Frame3.setVisible(ports_.fs.isDirectory(Tweixinlujin + "\\Msg\\"));
  bool legacy = ports_.fs.isDirectory(Tweixinlujin + "\\Image\\");
  Frame4.setVisible(legacy);
  setSize(kWidth, legacy ? kHeightWithBanner : kHeight);
  if (!ports_.fs.exists(Tweixinlujin)) return;  // keeps ticking until the folder is back

  platform::FolderSize size = ports_.fs.measure(Tweixinlujin);
  ttt = std::to_string(size.bytes);
  yyy = space::sizeText(size.bytes, decimal());
  if (auto colour = space::accountColour(space::bandOf(size.bytes)))
    labelsize.setForeColor(*colour);
  labelsize.setText(yyy);
  Commandjisuan.click();
  hideOverlayWhenIdle();
  Timer1.setEnabled(false);
}

std::string Form1::decimal() const {
  return ports_.shell.decimalSeparator();
}

}  // namespace ui
