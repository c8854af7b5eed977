// Deleting from the grid: each click builds its plan in the account it was made in, the question
// is made from the plan, and only a confirmed plan runs. A whole category goes at once, a month
// row month by month while the newest are kept, the image row's thumbnails after it by a plan of
// their own; the received-files row hands over to its dialog, the old-version banner to its
// window. When a deletion ends, it says what it gave back and its row is measured again.
#include "clean/month_folders.h"
#include "clean/question.h"
#include "clean/report_text.h"
#include "platform/path.h"
#include "platform/text.h"
#include "ui/main/main_window.h"
#include "wechat/running_check.h"

namespace ui {

namespace {

std::string busyKey(const clean::Plan& plan) {
  return platform::text::foldKey(plan.groups.front().named);
}

}  // namespace

void MainWindow::categoryClicked(std::size_t row) {
  const wechat::Category& cat = table_->categories[row];
  if (cat.folder.empty() || account_.empty()) return;  // this WeChat has no such folder
  if (cat.deletion == wechat::Deletion::ReceivedFilesDialog) {
    if (openReceivedFiles) openReceivedFiles(cat);  // it asks before it deletes
    return;
  }
  // The account and the months to keep are taken here, as values: whatever the window does
  // while a box is open, the deletion is the one the user clicked.
  const std::string account = account_;
  std::optional<unsigned> keep;
  if (cat.deletion == wechat::Deletion::MonthByMonth && grid.keepNewest.value() == 1) {
    keep = clean::parseKeepCount(grid.monthsToKeep.text());
    if (!keep) return tell("请在月数框里填写要保留的月数（0到99的数字）");
  }
  // Files WeChat holds open cannot be deleted: better the user quits it first.
  if (wechat::checkWeChatClosed(ports_.shell, ports_.env, kAppTitle, windowHandle()) ==
      wechat::RunningAnswer::Cancel)
    return;
  if (cat.deletion == wechat::Deletion::WholeFolder) return deleteWholeCategory(row, cat, account);
  if (preparing_ > 0) return tell(kBusyCleaning);  // one month list at a time is asked about
  prepareMonthDeletion(row, cat, account, keep, nullptr);
}

void MainWindow::deleteWholeCategory(std::size_t row, const wechat::Category& cat,
                                     const std::string& account) {
  clean::Plan plan = clean::wholeFolderPlan(ports_.fs, account, cat);
  // The row's figure is the account's: figures are cleared whenever another account is chosen.
  if (account == account_) plan.bytes = rowBytes_[row];
  auto d = std::make_shared<GridDeletion>();
  d->account = account;
  d->row = row;
  d->busyKey = busyKey(plan);
  if (!claim(d->busyKey)) return;
  const std::string named = plan.groups.front().named;
  auto confirmed = clean::Question::ask(ports_.shell, std::move(plan), clean::Question::Style::Grid,
                                        windowHandle());
  if (!confirmed || confirmed->plan().itemCount() == 0) {
    busyFolders_.erase(d->busyKey);  // nothing was handed out
    if (!confirmed) return;
    tell("文件夹不存在");
    status.setText(named + "已清空..");
    return;
  }
  setBusy(+1);  // the overlay stays until every removal reported
  startDeletion(std::move(d), std::move(*confirmed));
}

// The month list is made on the measurer's thread (a row of WeChat 4.x may span hundreds of chat
// folders, each walked for the question's figure); the question follows once it is known. A
// row's pass and its companion's are one deletion: `chain` is the row's when the companion's
// pass is prepared.
void MainWindow::prepareMonthDeletion(std::size_t row, const wechat::Category& cat,
                                      const std::string& account, std::optional<unsigned> keep,
                                      std::shared_ptr<GridDeletion> chain) {
  auto d = chain ? chain : std::make_shared<GridDeletion>();
  if (!chain) {
    d->account = account;
    d->row = row;
    d->busyKey = platform::text::foldKey(platform::path::join(account, cat.folder));
    if (!claim(d->busyKey)) return;
    setBusy(+1);
    busyOverlay.bar.setProgress(0, 0);  // figures of an earlier deletion are not this one's
    busyOverlay.soFar.setText("");
  }
  ++preparing_;
  platform::FileSystem& fs = ports_.fs;
  const bool companion = chain != nullptr;
  ports_.measurer.run([this, &fs, &cat, account, companion, keep,
                       d](const space::Measurer::Walk& walk) {
    auto plan =
        std::make_shared<clean::Plan>(clean::monthPlan(fs, account, cat, companion, keep, walk));
    return std::function<void()>(life_.ifAlive([this, plan, d] {
      auto confirmed = clean::Question::ask(ports_.shell, std::move(*plan),
                                            clean::Question::Style::Grid, windowHandle());
      --preparing_;
      // Nothing is deleted from a list that was not confirmed; a refused companion ends the row's
      // deletion with what its first pass did.
      if (!confirmed && d->plan) return finishDeletion(d);
      if (!confirmed) {
        busyFolders_.erase(d->busyKey);
        return setBusy(-1);
      }
      startDeletion(d, std::move(*confirmed));
    }));
  });
}

void MainWindow::startDeletion(std::shared_ptr<GridDeletion> d, clean::ConfirmedPlan plan) {
  d->plan = plan.shared();
  showProgress(*d, {});
  ports_.runner.run(
      std::move(plan),
      life_.ifAlive([this, d](const clean::RunProgress& p) { showProgress(*d, p); }),
      life_.ifAlive([this, d](const clean::RunOutcome& outcome) { runEnded(d, outcome); }));
}

void MainWindow::runEnded(const std::shared_ptr<GridDeletion>& d, const clean::RunOutcome& o) {
  clean::RunOutcome& sum = d->sum;
  sum.files += o.files;
  sum.bytes += o.bytes;
  sum.itemsLeft += o.itemsLeft;
  if (!sum.firstLeft) sum.firstLeft = o.firstLeft;
  sum.stopped = sum.stopped || o.stopped;
  // The thumbnails follow the images, in the account and by the row the images were cleaned in,
  // whatever the window shows by now.
  if (d->plan->companionFollows && !o.stopped)
    return prepareMonthDeletion(d->row, *d->plan->row, d->account, d->plan->keep, d);
  finishDeletion(d);
}

// Every deletion ends with its result said: what it gave back, and what stayed and why.
void MainWindow::finishDeletion(const std::shared_ptr<GridDeletion>& d) {
  busyFolders_.erase(d->busyKey);
  setBusy(-1);
  const clean::Plan& plan = *d->plan;
  if (plan.pacing == clean::Pacing::AtOnce)
    tell(d->sum.firstLeft ? clean::leftBehindNotice(*d->sum.firstLeft) : "删除完成");
  const std::string said = clean::endedText(plan, d->sum, ports_.shell.decimalSeparator());
  status.setText(said);
  remeasureAfterDeletion(d->account, plan.row);
}

// A dialog's deletion ended: the main window says how, as the dialog is gone by then.
void MainWindow::deletionEnded(const std::string& account, const std::string& said,
                               const wechat::Category* row) {
  if (!said.empty()) status.setText(said);
  remeasureAfterDeletion(account, row);
}

// The row and the account are measured again, if the window still shows that account.
void MainWindow::remeasureAfterDeletion(const std::string& account, const wechat::Category* row) {
  if (account != account_ || account.empty()) return;
  for (std::size_t i = 0; row && i < table_->categories.size(); ++i)
    if (&table_->categories[i] == row) remeasureRow(i, [] {});
  ports_.measurer.measure(account, life_.ifAlive([this, account](const platform::FolderSize& s) {
    if (account == account_) showAccountSize(s);
  }));
}

// The banner cleans the account it was shown for, never one chosen since.
void MainWindow::cleanLegacy() {
  if (bannerAccount_.empty() || !legacyBanner.frame.shown() || !openLegacyCleaner) return;
  openLegacyCleaner(clean::confirmedByBanner(clean::legacyPlan(ports_.fs, bannerAccount_)));
}

// A month pass moves by its folders; a whole category by the bytes its row held before.
void MainWindow::showProgress(const GridDeletion& d, const clean::RunProgress& p) {
  const clean::Plan& plan = *d.plan;
  const bool byBytes = plan.pacing == clean::Pacing::AtOnce;
  if (byBytes)
    busyOverlay.bar.setProgress(d.sum.bytes + p.bytes, plan.bytes.value_or(0));
  else
    busyOverlay.bar.setProgress(p.itemsDone, p.items);
  busyOverlay.soFar.setText(
      "已删除 " + std::to_string(d.sum.files + p.files) + " 个文件，已释放 " +
      space::sizeText(d.sum.bytes + p.bytes, ports_.shell.decimalSeparator()));
  if (!p.month.empty())
    status.setText("正在删除 " + p.month + " 的 " + std::to_string(p.monthFolders) + " 个文件夹");
  else if (!p.folder.empty() && plan.pacing == clean::Pacing::ByFolder)
    status.setText(p.folder);
}

// A second click on a folder being confirmed or removed is refused.
bool MainWindow::claim(const std::string& key) {
  if (busyFolders_.insert(key).second) return true;
  tell(kBusyCleaning);
  return false;
}

// The overlay covers the grid from a click to the end of its deletion, and the grid takes no
// key press meanwhile.
void MainWindow::setBusy(int change) {
  deletions_ += change;
  const bool busy = deletions_ > 0;
  if (busy) {
    busyOverlay.frame.setVisible(true);
    grid.frame.setEnabled(false);
    const Control* focus = focused();
    if (focus && focus->parent() == &grid.frame) setFocus(focusSink);
  } else {
    hideOverlayWhenIdle();
  }
}

void MainWindow::hideOverlayWhenIdle() {
  if (deletions_ > 0) return;
  busyOverlay.frame.setVisible(false);
  grid.frame.setEnabled(true);
}

}  // namespace ui
