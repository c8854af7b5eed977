// Deleting from the grid: a whole category after one confirmation, or its month folders one per
// second while the newest are kept; the received-files row hands over to its dialog. When a
// deletion ends its row and the account are measured again.
#include "clean/report_text.h"
#include "ui/main/main_window.h"
#include "wechat/running_check.h"

namespace ui {

namespace {

bool confirmed(platform::Shell& shell, const std::string& target) {
  return shell.messageBox("确认删除 " + target + " 下所有文件吗？确认后将直接删除", kConfirmTitle,
                          platform::Buttons::OkCancel,
                          platform::Icon::Question) == platform::Answer::Ok;
}

}  // namespace

void MainWindow::categoryClicked(std::size_t row) {
  const wechat::Category& cat = table_->categories[row];
  if (cat.folder.empty()) return;  // this WeChat has no such folder
  if (cat.deletion == wechat::Deletion::ReceivedFilesDialog) {
    if (openReceivedFiles) openReceivedFiles(cat);  // it asks before it deletes
    return;
  }
  // Files WeChat holds open cannot be deleted: better the user quits it first.
  if (wechat::checkWeChatClosed(ports_.shell, ports_.env, kAppTitle) ==
      wechat::RunningAnswer::Cancel)
    return;
  // The account is fixed here: whatever the window does while a box is open, the deletion keeps
  // the folder and the account the user clicked in.
  switch (cat.deletion) {
    case wechat::Deletion::WholeFolder:
      return deleteWholeCategory(row, account_);
    case wechat::Deletion::MonthByMonth:
      return prepareMonthPass(row, account_, false);
    case wechat::Deletion::ReceivedFilesDialog:
      return;
  }
}

void MainWindow::deleteWholeCategory(std::size_t row, const std::string& account) {
  const wechat::Category& cat = table_->categories[row];
  const std::string target = account + std::string(cat.folder);
  if (!busyTargets_.insert(target).second) {
    ports_.shell.messageBox(kBusyCleaning, kAppTitle);
    return;
  }
  const bool ok = confirmed(ports_.shell, target);
  std::vector<std::string> there;
  for (std::string_view folder : {cat.folder, cat.alsoWhole})
    if (!folder.empty() && ports_.fs.exists(account + std::string(folder)))
      there.push_back(account + std::string(folder));
  if (!ok || there.empty()) {
    busyTargets_.erase(target);  // nothing was handed out
    if (!ok) return;
    ports_.shell.messageBox("文件夹不存在", kAppTitle);
    status.setText(target + "已清空..");
    return;
  }
  auto deletion = std::make_shared<Deletion>(account, row, rowBytes_[row]);
  showProgress(*deletion);
  busyOverlay.frame.setVisible(true);
  // One notice for the category, once every folder of it has reported.
  auto leftBehind = std::make_shared<std::optional<clean::RemovalReport>>();
  std::weak_ptr<bool> alive = alive_;
  for (const auto& folder : there) {
    ++removalsOut_;
    ++deletion->removalsOut;
    auto progress = progressOf(deletion);
    ports_.remover.remove(
        folder, account,
        [this, alive, target, deletion, leftBehind, progress](const clean::RemovalReport& r) {
          if (alive.expired()) return;
          progress(r.removedFiles, r.removedBytes);
          --removalsOut_;
          if (!r.gone && !*leftBehind) *leftBehind = r;
          if (--deletion->removalsOut > 0) return;
          busyTargets_.erase(target);
          if (!*leftBehind) {
            ports_.shell.messageBox("删除完成", kAppTitle);
            status.setText(target + "已清空..");
          } else {
            ports_.shell.messageBox(clean::leftBehindNotice(**leftBehind), kAppTitle);
            deletion->leftBehind = target + "没能完全清空";
            status.setText(deletion->leftBehind);
          }
          hideOverlayWhenIdle();
          deletionEnded(deletion);
        },
        progress);
  }
  deletion->handingOut = false;
}

// The pass's folders are listed on the measurer's thread (a row of WeChat 4.x may span hundreds
// of chat folders); the confirmation follows once they are known. A row's pass and its
// companion's are one deletion.
void MainWindow::prepareMonthPass(std::size_t row, const std::string& account, bool companion) {
  if (passPreparing_ || monthPassTimer.enabled()) {
    ports_.shell.messageBox(kBusyCleaning, kAppTitle);
    return;
  }
  // The companion's pass ends the deletion however it ends: refused, cancelled or done.
  std::shared_ptr<Deletion> chain = companion ? passDeletion_ : nullptr;
  auto chainOver = [this, chain] {
    if (!chain) return;
    chain->handingOut = false;
    deletionEnded(chain);
  };
  std::optional<unsigned> keep;
  if (grid.keepNewest.value() == 1) {
    keep = clean::parseKeepCount(grid.monthsToKeep.text());
    if (!keep) {
      hideOverlayWhenIdle();
      ports_.shell.messageBox("请在月数框里填写要保留的月数（0到99的数字）", kAppTitle);
      chainOver();
      return;
    }
  }
  const wechat::Category& cat = table_->categories[row];
  MonthPass pass;
  pass.account = account;
  pass.row = row;
  clean::PassSource source;
  if (!companion) {
    pass.target = account + std::string(cat.folder);
    pass.companionFollows = !cat.companion.empty();
    source = {pass.target, cat.anyNameIsMonth, std::string(cat.companion), std::string(cat.chats)};
  } else {
    pass.target = account + std::string(cat.folder) + std::string(cat.companion) + "\\";
    source = {pass.target, cat.anyNameIsMonth, "", std::string(cat.companionChats)};
  }
  if (!companion) {  // figures of an earlier deletion do not belong to this one
    busyOverlay.bar.setProgress(0, 0);
    busyOverlay.soFar.setText("");
  }
  busyOverlay.frame.setVisible(true);
  passPreparing_ = true;
  std::weak_ptr<bool> alive = alive_;
  platform::FileSystem& fs = ports_.fs;
  ports_.measurer.run([this, &fs, alive, pass, source, keep, chain,
                       chainOver](const space::Measurer::Walk&) {
    auto list = std::make_shared<std::vector<clean::PassFolder>>(
        clean::listPassFolders(fs, pass.account, source));
    return std::function<void()>([this, alive, pass, keep, list, chain, chainOver] {
      if (alive.expired()) return;
      if (keep) clean::keepNewest(*list, *keep);
      const bool ok = confirmed(ports_.shell, pass.target);
      passPreparing_ = false;
      if (!ok) {
        hideOverlayWhenIdle();  // nothing is deleted from a list that was not confirmed
        chainOver();
        return;
      }
      passDeletion_ =
          chain ? chain : std::make_shared<Deletion>(pass.account, pass.row, rowBytes_[pass.row]);
      passDeletion_->foldersListed += list->size();
      showProgress(*passDeletion_);
      pass_ = pass;
      pass_.queue.assign(list->begin(), list->end());
      monthPassTimer.setEnabled(true);
    });
  });
}

void MainWindow::deleteNextMonthFolder() {
  if (!pass_.queue.empty()) {
    const std::string folder = pass_.queue.front().path;
    pass_.queue.pop_front();
    status.setText(folder);
    if (!ports_.fs.exists(folder)) {
      ++passDeletion_->foldersDone;
      showProgress(*passDeletion_);
      return;
    }
    ++removalsOut_;
    ++passDeletion_->removalsOut;
    std::weak_ptr<bool> alive = alive_;
    auto progress = progressOf(passDeletion_);
    ports_.remover.remove(
        folder, pass_.account,
        [this, alive, deletion = passDeletion_, progress](const clean::RemovalReport& r) {
          if (alive.expired()) return;
          progress(r.removedFiles, r.removedBytes);
          --removalsOut_;
          --deletion->removalsOut;
          ++deletion->foldersDone;
          if (!r.gone) ++deletion->foldersLeftBehind;
          showProgress(*deletion);
          hideOverlayWhenIdle();
          deletionEnded(deletion);
        },
        progress);
    return;
  }
  monthPassTimer.setEnabled(false);
  // The companion's pass works in the account this pass started in, whichever account the
  // window shows by now.
  if (pass_.companionFollows) {
    const MonthPass finished = pass_;
    prepareMonthPass(finished.row, finished.account, true);
  } else {
    passDeletion_->handingOut = false;
    deletionEnded(passDeletion_);
  }
  hideOverlayWhenIdle();
}

// Once a deletion has handed out its last removal and every one has reported, its row is
// measured again and the status line says what was given back, and what stayed if anything did;
// the account's size follows.
void MainWindow::deletionEnded(const std::shared_ptr<Deletion>& deletion) {
  if (deletion->handingOut || deletion->removalsOut > 0 || deletion->measured) return;
  deletion->measured = true;
  const std::string stayed = deletion->foldersLeftBehind > 0
                                 ? "有 " + std::to_string(deletion->foldersLeftBehind) +
                                       " 个文件夹没能完全删除，请退出微信后再试"
                                 : deletion->leftBehind;
  if (deletion->account != account_) {  // the window shows another account by now
    if (!stayed.empty()) status.setText(stayed);
    return;
  }
  const std::size_t row = deletion->row;
  const std::optional<std::uint64_t> before = deletion->bytesBefore;
  std::weak_ptr<bool> alive = alive_;
  remeasureRow(row, [this, alive, row, before, stayed] {
    const std::uint64_t after = rowBytes_[row].value_or(0);
    // Without figures from before the deletion there is nothing true to say about what it gave.
    std::string text = stayed;
    if (before) {
      const std::string freed = "已释放 " + space::sizeText(*before > after ? *before - after : 0,
                                                            ports_.shell.decimalSeparator());
      // What stayed behind is worth more to the user than the figure; both are said then.
      text = stayed.empty() ? freed : stayed + "（" + freed + "）";
    }
    if (!text.empty()) status.setText(text);
    ports_.measurer.measure(account_,
                            [this, alive, account = account_](const platform::FolderSize& s) {
                              if (!alive.expired() && account == account_) showAccountSize(s);
                            });
  });
}

// The received-files dialog or the old-version cleaner deleted something: the received-files
// row and the account are measured again, and the status line says what the account gave back.
void MainWindow::cleanedElsewhere() {
  if (account_.empty()) return;
  const std::uint64_t before = accountBytes_;
  for (std::size_t row = 0; row < table_->categories.size(); ++row)
    if (table_->categories[row].deletion == wechat::Deletion::ReceivedFilesDialog)
      remeasureRow(row, [] {});
  std::weak_ptr<bool> alive = alive_;
  ports_.measurer.measure(
      account_, [this, alive, account = account_, before](const platform::FolderSize& s) {
        if (alive.expired() || account != account_) return;
        showAccountSize(s);
        status.setText("已释放 " + space::sizeText(before > s.bytes ? before - s.bytes : 0,
                                                   ports_.shell.decimalSeparator()));
      });
}

clean::Remover::Progress MainWindow::progressOf(const std::shared_ptr<Deletion>& deletion) {
  // A removal reports running totals; the deletion sums the growth of each of its removals.
  auto seen = std::make_shared<std::pair<std::uint64_t, std::uint64_t>>(0, 0);
  std::weak_ptr<bool> alive = alive_;
  return [this, alive, deletion, seen](std::uint64_t files, std::uint64_t bytes) {
    if (alive.expired()) return;
    deletion->filesRemoved += files > seen->first ? files - seen->first : 0;
    deletion->bytesRemoved += bytes > seen->second ? bytes - seen->second : 0;
    *seen = {std::max(files, seen->first), std::max(bytes, seen->second)};
    showProgress(*deletion);
  };
}

// A month pass moves by its folders; a whole category by the bytes its row held before.
void MainWindow::showProgress(const Deletion& d) {
  if (d.foldersListed > 0)
    busyOverlay.bar.setProgress(d.foldersDone, d.foldersListed);
  else
    busyOverlay.bar.setProgress(d.bytesRemoved, d.bytesBefore.value_or(0));
  busyOverlay.soFar.setText("已删除 " + std::to_string(d.filesRemoved) + " 个文件，已释放 " +
                            space::sizeText(d.bytesRemoved, ports_.shell.decimalSeparator()));
}

// The overlay goes when no month list is being prepared or worked through and every removal,
// whole-category ones included, has reported.
void MainWindow::hideOverlayWhenIdle() {
  if (passPreparing_ || monthPassTimer.enabled() || removalsOut_ > 0) return;
  busyOverlay.frame.setVisible(false);
}

}  // namespace ui
