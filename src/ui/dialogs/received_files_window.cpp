#include "ui/dialogs/received_files_window.h"

#include <memory>
#include <optional>
#include <vector>

#include "clean/month_pass.h"
#include "clean/report_text.h"
#include "wechat/running_check.h"

namespace ui {

ReceivedFilesWindow::ReceivedFilesWindow(MainWindowLink& main, platform::FileSystem& fs,
                                         platform::Shell& shell, platform::Environment& env,
                                         clean::Remover& remover)
    : Form("Form3"),
      question(*this, "Label1"),
      clearAllButton(*this, "Command1"),
      openButton(*this, "Command2"),
      focusHolder(*this, "Command3"),
      main_(main),
      fs_(fs),
      shell_(shell),
      env_(env),
      remover_(remover) {
  setTitle("微信接收的文件");
  setClientSized(true);
  setSize(5655, 1350);
  question.setRect({120, 120, 5415, 435});
  question.setFont({"微软雅黑", 14.25, true});
  question.setAlign(Align::Center);
  clearAllButton.setRect({840, 660, 1455, 495});
  clearAllButton.setText("一键全部清理");
  openButton.setRect({3120, 660, 1755, 495});
  openButton.setText("我自己手工删除");
  focusHolder.setRect({6780, 900, 375, 315});
  focusHolder.setText("Command3");
  focusHolder.setTabIndex(0);
  openButton.setTabIndex(1);
  question.setTabIndex(2);
  clearAllButton.setTabIndex(3);
  clearAllButton.onClick = [this] { clearAll(); };
  openButton.onClick = [this] { openByHand(); };
  onUnload = [this] { unload(); };
}

void ReceivedFilesWindow::open(const wechat::Category& row) {
  account_ = main_.accountPath();
  folder_ = account_ + std::string(row.dialogFolder);
  chats_ = row.chats;
  question.setText("微信接收/发送的所有文件 是否清理？");
  const bool there = fs_.exists(folder_);
  if (!there) question.setText("没找到File文件夹,有点郁闷...");
  clearAllButton.setEnabled(there);
  openButton.setEnabled(there);
  show();
  main_.hideMain();
  setFocus(focusHolder);
}

void ReceivedFilesWindow::unload() {
  hide();
  main_.showMain();
}

void ReceivedFilesWindow::clearAll() {
  if (clearing_) {
    shell_.messageBox(kBusyCleaning, kAppTitle);
    return;
  }
  clearing_ = true;
  if (wechat::checkWeChatClosed(shell_, env_, kAppTitle) == wechat::RunningAnswer::Cancel ||
      shell_.messageBox("确认删除" + folder_ + "所有文件吗？确认后将直接清空", kConfirmTitle,
                        platform::Buttons::OkCancel,
                        platform::Icon::Question) != platform::Answer::Ok) {
    clearing_ = false;
    return;
  }
  // The folder itself, and every month folder of files received in a chat.
  std::vector<std::string> targets{folder_};
  if (!chats_.empty())
    for (auto& f : clean::listPassFolders(fs_, account_, {"", false, "", chats_}))
      targets.push_back(std::move(f.path));
  struct Outcome {
    std::size_t out;
    std::optional<clean::RemovalReport> leftBehind;
  };
  auto outcome = std::make_shared<Outcome>(Outcome{targets.size(), std::nullopt});
  for (const auto& target : targets) {
    remover_.remove(target, account_, [this, outcome](const clean::RemovalReport& r) {
      if (!r.gone && !outcome->leftBehind) outcome->leftBehind = r;
      if (--outcome->out > 0) return;
      clearing_ = false;
      if (outcome->leftBehind)
        shell_.messageBox(clean::leftBehindNotice(*outcome->leftBehind), kAppTitle);
      main_.cleanedElsewhere();
    });
  }
  unload();
}

void ReceivedFilesWindow::openByHand() {
  shell_.startProcess(platform::explorerCommand(shell_, folder_), platform::ShowStyle::Normal);
  unload();
}

}  // namespace ui
