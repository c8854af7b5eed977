#include "ui/dialogs/legacy_cleaner_window.h"

#include "clean/report_text.h"
#include "wechat/running_check.h"

namespace ui {

LegacyCleanerWindow::LegacyCleanerWindow(MainWindowLink& main, platform::Shell& shell,
                                         platform::Environment& env, clean::PlanRunner& runner)
    : Form("Form2"),
      heading(*this, "Label1"),
      note(*this, "Label2"),
      main_(main),
      shell_(shell),
      env_(env),
      runner_(runner) {
  setTitle("Form2");
  setClientSized(true);
  setSize(5595, 1065);
  place(heading, 120, 120, 5415, 435, "老版微信垃圾正在清理中，请稍等...");
  heading.setFont({"微软雅黑", 14.25, true});
  heading.setAlign(Align::Center);
  place(note, 60, 600, 5415, 435, "程序将锁死片刻，完成后本窗口自动消失");
  note.setFont({"微软雅黑", 10.5, true});
  note.setAlign(Align::Center);
  onUnload = [this] { unload(); };
}

void LegacyCleanerWindow::open(clean::ConfirmedPlan plan) {
  if (run_ && runner_.running(*run_)) return;
  if (wechat::checkWeChatClosed(shell_, env_, kAppTitle, main_.mainHandle()) ==
      wechat::RunningAnswer::Cancel)
    return;
  setTopMost(true);
  show();
  main_.hideMain();
  auto shared = plan.shared();
  run_ = runner_.run(std::move(plan), {},
                     [this, shared](const clean::RunOutcome& outcome) { ended(*shared, outcome); });
}

void LegacyCleanerWindow::unload() {
  if (run_) runner_.stop(*run_);
  hide();
  main_.showMain();
}

// The window goes with its pass; the main window says what the pass did.
void LegacyCleanerWindow::ended(const clean::Plan& plan, const clean::RunOutcome& outcome) {
  run_.reset();
  if (visible()) {
    hide();
    main_.showMain();
  }
  main_.deletionEnded(plan.account, clean::endedText(plan, outcome, shell_.decimalSeparator()),
                      nullptr);
  if (outcome.itemsLeft == 0) return;
  shell_.messageBox("老版微信文件夹没能全部删除。" + clean::leftBehindNotice(*outcome.firstLeft),
                    kAppTitle, platform::Buttons::Ok, platform::Icon::None, main_.mainHandle());
}

}  // namespace ui
