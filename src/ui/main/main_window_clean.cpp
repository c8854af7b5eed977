// Deleting: a whole category after one confirmation, or its month folders one per second while
// the newest are kept; the received-files row hands over to its dialog.
#include "clean/report_text.h"
#include "clean/worklist.h"
#include "ui/main/main_window.h"

namespace ui {

namespace {

bool confirmed(platform::Shell& shell, const std::string& target) {
  return shell.messageBox("确认删除 " + target + " 下所有文件吗？确认后将直接删除", kConfirmTitle,
                          platform::Buttons::OkCancel,
                          platform::Icon::Question) == platform::Answer::Ok;
}

}  // namespace

void MainWindow::categoryClicked(std::size_t row) {
  const wechat::Category& cat = table_.categories[row];
  // The target is fixed here: whatever the window does while a box is open, the deletion keeps
  // the folder and the account the user clicked in.
  const std::string target = account_ + std::string(cat.folder);
  switch (cat.deletion) {
    case wechat::Deletion::WholeFolder:
      return deleteWholeCategory(target, account_);
    case wechat::Deletion::MonthByMonth:
      return prepareMonthPass(target, account_, std::string(cat.companion));
    case wechat::Deletion::ReceivedFilesDialog:
      if (openReceivedFiles) openReceivedFiles(cat.dialogFolder);
      return;
  }
}

void MainWindow::deleteWholeCategory(const std::string& target, const std::string& account) {
  if (!busyTargets_.insert(target).second) {
    ports_.shell.messageBox(kBusyCleaning, kAppTitle);
    return;
  }
  const bool ok = confirmed(ports_.shell, target);
  if (!ok || !ports_.fs.exists(target)) {
    busyTargets_.erase(target);  // nothing was handed out
    if (!ok) return;
    ports_.shell.messageBox("文件夹不存在", kAppTitle);
    status.setText(target + "已清空..");
    return;
  }
  busyOverlay.frame.setVisible(true);
  ++removalsOut_;
  std::weak_ptr<bool> alive = alive_;
  ports_.remover.remove(target, account, [this, alive, target](const clean::RemovalReport& r) {
    if (alive.expired()) return;
    --removalsOut_;
    busyTargets_.erase(target);
    if (r.gone) {
      ports_.shell.messageBox("删除完成", kAppTitle);
      status.setText(r.target + "已清空..");
    } else {
      ports_.shell.messageBox(clean::leftBehindNotice(r), kAppTitle);
      status.setText(r.target + "没能完全清空");
    }
    hideOverlayWhenIdle();
  });
}

void MainWindow::prepareMonthPass(const std::string& target, const std::string& account,
                                  const std::string& companion) {
  if (passPreparing_ || monthPassTimer.enabled()) {
    ports_.shell.messageBox(kBusyCleaning, kAppTitle);
    return;
  }
  busyOverlay.frame.setVisible(true);
  passPreparing_ = true;
  clean::WorkList list = clean::buildWorkList(ports_.fs, target);
  if (!companion.empty()) clean::removeName(list, companion);  // it gets a pass of its own
  if (grid.keepNewest.value() == 1) {
    auto keep = clean::parseKeepCount(grid.monthsToKeep.text());
    if (!keep) {
      passPreparing_ = false;
      hideOverlayWhenIdle();
      ports_.shell.messageBox("请在月数框里填写要保留的月数（0到99的数字）", kAppTitle);
      return;
    }
    clean::keepNewest(list, *keep);
  }
  const bool ok = confirmed(ports_.shell, target);
  passPreparing_ = false;
  if (!ok) {
    hideOverlayWhenIdle();  // nothing is deleted from a list that was not confirmed
    return;
  }
  pass_ = MonthPass{target, account, std::move(list), companion};
  monthPassTimer.setEnabled(true);
}

void MainWindow::deleteNextMonthFolder() {
  if (!pass_.queue.empty()) {
    const std::string folder = pass_.target + pass_.queue.front();
    pass_.queue.pop_front();
    status.setText(folder);
    if (ports_.fs.exists(folder)) {
      ++removalsOut_;
      std::weak_ptr<bool> alive = alive_;
      ports_.remover.remove(folder, pass_.account, [this, alive](const clean::RemovalReport& r) {
        if (alive.expired()) return;
        --removalsOut_;
        if (!r.gone) ++monthFoldersLeftBehind_;
        hideOverlayWhenIdle();
      });
    }
    return;
  }
  monthPassTimer.setEnabled(false);
  // The companion's pass works in the account this pass started in, whichever account the
  // window shows by now.
  if (!pass_.companion.empty()) {
    const MonthPass finished = pass_;
    prepareMonthPass(finished.target + finished.companion + "\\", finished.account, "");
  }
  hideOverlayWhenIdle();
}

// The overlay goes when no month list is being prepared or worked through and every removal,
// whole-category ones included, has reported.
void MainWindow::hideOverlayWhenIdle() {
  if (passPreparing_ || monthPassTimer.enabled() || removalsOut_ > 0) return;
  busyOverlay.frame.setVisible(false);
  if (monthFoldersLeftBehind_ > 0) {
    status.setText("有 " + std::to_string(monthFoldersLeftBehind_) +
                   " 个文件夹没能完全删除，请退出微信后再试");
    monthFoldersLeftBehind_ = 0;
  }
}

}  // namespace ui
