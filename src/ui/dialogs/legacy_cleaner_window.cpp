#include "ui/dialogs/legacy_cleaner_window.h"

#include "clean/legacy.h"
#include "wechat/running_check.h"

namespace ui {

LegacyCleanerWindow::LegacyCleanerWindow(MainWindowLink& main, platform::FileSystem& fs,
                                         platform::Shell& shell, platform::Environment& env,
                                         platform::TimerHost& timers, clean::Remover& remover)
    : Form("Form2"),
      heading(*this, "Label1"),
      note(*this, "Label2"),
      pacer(timers, "legacy pacer", 1000),
      main_(main),
      fs_(fs),
      shell_(shell),
      env_(env),
      remover_(remover) {
  setTitle("Form2");
  setClientSized(true);
  setSize(5595, 1065);
  heading.setRect({120, 120, 5415, 435});
  heading.setText("老版微信垃圾正在清理中，请稍等...");
  heading.setFont({"微软雅黑", 14.25, true});
  heading.setAlign(Align::Center);
  note.setRect({60, 600, 5415, 435});
  note.setText("程序将锁死片刻，完成后本窗口自动消失");
  note.setFont({"微软雅黑", 10.5, true});
  note.setAlign(Align::Center);
  pacer.onTick = [this] { step(); };
  onUnload = [this] { unload(); };
}

void LegacyCleanerWindow::open() {
  if (pass_ && pass_->listing) return;
  if (wechat::checkWeChatClosed(shell_, env_, kAppTitle) == wechat::RunningAnswer::Cancel) return;
  pass_.reset();
  setTopMost(true);
  pacer.setInterval(1000);
  pacer.setEnabled(true);
  show();
  main_.hideMain();
}

void LegacyCleanerWindow::unload() {
  pacer.setEnabled(false);
  if (pass_ && pass_->listing) {
    pass_->listing = false;
    if (pass_->pending == 0) pass_.reset();
  }
  hide();
  main_.showMain();
}

// Each tick hands one folder to the removal engine and waits that folder's pause on the timer, so
// the window keeps answering between folders; folders that are not there cost no pause.
void LegacyCleanerWindow::step() {
  pacer.setEnabled(false);
  if (!pass_) {
    pass_ = std::make_shared<Pass>();
    pass_->account = main_.accountPath();
  }
  std::shared_ptr<Pass> p = pass_;
  for (; p->next < clean::kLegacyFolders.size(); ++p->next) {
    const clean::LegacyFolder& folder = clean::kLegacyFolders[p->next];
    const std::string path = p->account + std::string(folder.suffix);
    // Only folders are legacy folders: a file of that name is someone's file.
    if (!fs_.isDirectory(path)) continue;
    ++p->pending;
    remover_.remove(path, p->account, [this, p](const clean::RemovalReport& r) {
      if (!r.gone) p->leftBehind.push_back(r.target);
      if (--p->pending == 0 && !p->listing) finish(p);
    });
    ++p->next;
    pacer.setInterval(folder.pauseMs);
    pacer.setEnabled(true);
    return;
  }
  p->listing = false;
  if (p->pending == 0) finish(p);
}

void LegacyCleanerWindow::finish(const std::shared_ptr<Pass>& p) {
  if (p == pass_) {
    pass_.reset();
    if (visible()) unload();
  }
  main_.cleanedElsewhere();
  if (p->leftBehind.empty()) return;
  std::string text = "以下老版微信文件夹没能删除，可能正被微信占用，请退出微信后再试：";
  for (const auto& path : p->leftBehind) text += "\r\n" + path;
  shell_.messageBox(text, kAppTitle);
}

}  // namespace ui
