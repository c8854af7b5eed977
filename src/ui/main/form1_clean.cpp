// Deleting categories: whole folders, month folders one per tick, and the two cleaning windows.
#include "clean/report_text.h"
#include "clean/worklist.h"
#include "ui/main/form1.h"

namespace ui {

namespace {
constexpr unsigned kConfirmStyle = platform::kMbOkCancel | platform::kMbIconQuestion;

std::string confirmText(const std::string& target) {
  return "确认删除 " + target + " 下所有文件吗？确认后将直接删除";
}

}  // namespace

void Form1::categoryClick(const std::string& subPath, bool monthByMonth) {
  s9 = lujin + subPath;
  if (monthByMonth)
    shanchuriqi();
  else
    shanchu();
}

void Form1::shanchu() {
  // The scan's stages rewrite s9 while the box is open; the target is fixed here.
  const std::string target = s9;
  const std::string account = lujin;
  if (!busyTargets_.insert(target).second) {
    ports_.shell.messageBox(kBusyCleaning, kAppTitle, platform::kMbOk);
    return;
  }
  const bool ok =
      ports_.shell.messageBox(confirmText(target), kConfirmTitle, kConfirmStyle) == platform::kIdOk;
  if (!ok || !ports_.fs.exists(target)) {
    busyTargets_.erase(target);  // nothing was handed out
    if (!ok) return;
    ports_.shell.messageBox("文件夹不存在", kAppTitle, platform::kMbOk);
    Labeltip.setText(target + "已清空..");
    return;
  }
  Frame2.setVisible(true);
  ++removalsOut_;
  std::weak_ptr<bool> alive = alive_;
  ports_.remover.remove(target, account, [this, alive, target](const clean::RemovalReport& r) {
    if (alive.expired()) return;
    --removalsOut_;
    busyTargets_.erase(target);
    if (r.gone) {
      ports_.shell.messageBox("删除完成", kAppTitle, platform::kMbOk);
      Labeltip.setText(r.target + "已清空..");
    } else {
      ports_.shell.messageBox(clean::leftBehindNotice(r), kAppTitle, platform::kMbOk);
      Labeltip.setText(r.target + "没能完全清空");
    }
    hideOverlayWhenIdle();
  });
}

void Form1::shanchuriqi() {
  monthPass(lujin);
}

// The thumbnails follow an image pass in the account folder that pass started in, whichever
// account the window shows by now.
void Form1::thumbnailPass() {
  s9 = passAccount_ + n6t;
  monthPass(passAccount_);
}

void Form1::monthPass(const std::string& account) {
  if (passPreparing_ || Timerdel.enabled()) {
    ports_.shell.messageBox(kBusyCleaning, kAppTitle, platform::kMbOk);
    return;
  }
  const std::string target = s9;
  Textdel.clear();
  Textderlist.clear();
  Frame2.setVisible(true);
  passPreparing_ = true;
  std::string list = clean::buildWorkList(ports_.fs, target);
  if (target == account + n6) clean::removeEntry(list, "Thumb");  // they get their own pass
  if (Check1.value() == 1) {
    auto keep = clean::parseKeepCount(Textsj.text());
    if (!keep) {
      passPreparing_ = false;
      hideOverlayWhenIdle();
      ports_.shell.messageBox("请在月数框里填写要保留的月数（0到99的数字）", kAppTitle,
                              platform::kMbOk);
      return;
    }
    for (unsigned i = 0; i < *keep; ++i) clean::dropFirst(list);
  }
  Textderlist = list;
  bool ok =
      ports_.shell.messageBox(confirmText(target), kConfirmTitle, kConfirmStyle) == platform::kIdOk;
  passPreparing_ = false;
  if (!ok) {
    // Nothing may be deleted from a list that was not confirmed.
    Textderlist.clear();
    hideOverlayWhenIdle();
    return;
  }
  passTarget_ = target;
  passAccount_ = account;
  Timerdel.setEnabled(true);
}

void Form1::deleteNextMonthFolder() {
  if (!Textderlist.empty()) {
    Textdel = clean::firstEntry(Textderlist);
    std::string full = passTarget_ + Textdel;
    Labeltip.setText(full);
    if (ports_.fs.exists(full)) {
      ++removalsOut_;
      std::weak_ptr<bool> alive = alive_;
      ports_.remover.remove(full, passAccount_, [this, alive](const clean::RemovalReport& r) {
        if (alive.expired()) return;
        --removalsOut_;
        if (!r.gone) ++passLeftBehind_;
        hideOverlayWhenIdle();
      });
    }
    Textdel.clear();
    clean::dropFirst(Textderlist);
    return;
  }
  Timerdel.setEnabled(false);
  if (passTarget_ == passAccount_ + n6) C6Thumb.click();
  hideOverlayWhenIdle();
}

// The overlay goes when no month list is being prepared or worked through and every removal,
// whole-category ones included, has reported.
void Form1::hideOverlayWhenIdle() {
  if (passPreparing_ || Timerdel.enabled() || removalsOut_ > 0) return;
  Frame2.setVisible(false);
  if (passLeftBehind_ > 0) {
    Labeltip.setText("有 " + std::to_string(passLeftBehind_) +
                     " 个文件夹没能完全删除，请退出微信后再试");
    passLeftBehind_ = 0;
  }
}

void Form1::openReceivedFiles() {
  form3_->open();
}

void Form1::openLegacyCleaner() {
  form2_->open();
}

}  // namespace ui
