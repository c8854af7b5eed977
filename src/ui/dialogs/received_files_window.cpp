#include "ui/dialogs/received_files_window.h"

#include "clean/question.h"
#include "clean/report_text.h"
#include "platform/path.h"
#include "wechat/running_check.h"

namespace ui {

ReceivedFilesWindow::ReceivedFilesWindow(MainWindowLink& main, platform::FileSystem& fs,
                                         platform::Shell& shell, platform::Environment& env,
                                         clean::PlanRunner& runner)
    : Form("Form3"),
      question(*this, "Label1"),
      clearAllButton(*this, "Command1"),
      openButton(*this, "Command2"),
      focusHolder(*this, "Command3"),
      main_(main),
      fs_(fs),
      shell_(shell),
      env_(env),
      runner_(runner) {
  setTitle("微信接收的文件");
  setClientSized(true);
  setSize(5655, 1350);
  place(question, 120, 120, 5415, 435);
  question.setFont({"微软雅黑", 14.25, true});
  question.setAlign(Align::Center);
  place(clearAllButton, 840, 660, 1455, 495, "一键全部清理");
  place(openButton, 3120, 660, 1755, 495, "我自己手工删除");
  place(focusHolder, 6780, 900, 375, 315, "Command3");
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
  row_ = &row;
  folder_ = platform::path::join(account_, row.dialogFolder);
  question.setText("微信接收/发送的所有文件 是否清理？");
  // What the row counts is what can be cleared: the chats' files too, when the folder is gone.
  const bool there = clean::receivedFilesPlan(fs_, account_, row).itemCount() > 0;
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
  if (!row_) return;  // never opened
  if (clearing_) {
    shell_.messageBox(kBusyCleaning, kAppTitle, platform::Buttons::Ok, platform::Icon::None,
                      windowHandle());
    return;
  }
  clearing_ = true;
  std::optional<clean::ConfirmedPlan> confirmed;
  if (wechat::checkWeChatClosed(shell_, env_, kAppTitle, windowHandle()) !=
      wechat::RunningAnswer::Cancel)
    confirmed = clean::Question::ask(shell_, clean::receivedFilesPlan(fs_, account_, *row_),
                                     clean::Question::Style::Dialog, windowHandle());
  if (!confirmed) {
    clearing_ = false;
    return;
  }
  auto plan = confirmed->shared();
  runner_.run(std::move(*confirmed), {}, [this, plan](const clean::RunOutcome& outcome) {
    clearing_ = false;
    // The dialog is gone by now: the main window asks and says.
    if (outcome.firstLeft)
      shell_.messageBox(clean::leftBehindNotice(*outcome.firstLeft), kAppTitle,
                        platform::Buttons::Ok, platform::Icon::None, main_.mainHandle());
    main_.deletionEnded(plan->account, clean::endedText(*plan, outcome, shell_.decimalSeparator()),
                        plan->row);
  });
  unload();
}

void ReceivedFilesWindow::openByHand() {
  shell_.startProcess(platform::explorerCommand(shell_, folder_), platform::ShowStyle::Normal);
  unload();
}

}  // namespace ui
