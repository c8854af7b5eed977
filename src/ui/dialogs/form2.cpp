#include "ui/dialogs/form2.h"

#include "clean/legacy.h"
#include "ui/main/form1.h"

namespace ui {

Form2::Form2(Form1& main, const Ports& ports)
    : Form("Form2"),
      Label1(*this, "Label1"),
      Label2(*this, "Label2"),
      Timer1(ports.timers, "Form2.Timer1", 1000),
      main_(main),
      ports_(ports) {
  setTitle("Form2");
  setClientSized(true);
  setSize(5595, 1065);
  Label1.setRect({120, 120, 5415, 435});
  Label1.setText("老版微信垃圾正在清理中，请稍等...");
  Label1.setFont({"微软雅黑", 14.25, true});
  Label1.setAlign(Align::Center);
  Label2.setRect({60, 600, 5415, 435});
  Label2.setText("程序将锁死片刻，完成后本窗口自动消失");
  Label2.setFont({"微软雅黑", 10.5, true});
  Label2.setAlign(Align::Center);
  Timer1.onTick = [this] { pass(); };
  onUnload = [this] { unload(); };
}

void Form2::open() {
  if (pass_ && pass_->listing) return;
  setTopMost(true);
  Timer1.setEnabled(true);
  show();
  main_.hide();
}

// Closing the window, before its first tick or while the last removals finish, still gives the
// main window back.
void Form2::unload() {
  Timer1.setEnabled(false);
  hide();
  main_.show();
}

void Form2::pass() {
  Timer1.setEnabled(false);
  auto p = std::make_shared<Pass>();
  pass_ = p;
  accountPath = main_.lujin;
  for (const auto& folder : clean::kLegacyFolders) {
    current = accountPath + std::string(folder.suffix);
    // Only folders are legacy folders: a file of that name is someone's file.
    if (!ports_.fs.isDirectory(current)) continue;
    ++p->pending;
    ports_.remover.remove(current, accountPath, [this, p](const clean::RemovalReport& r) {
      if (!r.gone) p->leftBehind.push_back(r.target);
      if (--p->pending == 0 && !p->listing) finish(*p);
    });
    ports_.shell.sleep(folder.pauseMs);
  }
  p->listing = false;
  if (p->pending == 0) finish(*p);
}

void Form2::finish(const Pass& p) {
  if (&p == pass_.get()) unload();
  if (p.leftBehind.empty()) return;
  std::string text = "以下老版微信文件夹没能删除，可能正被微信占用，请退出微信后再试：";
  for (const auto& path : p.leftBehind) text += "\r\n" + path;
  ports_.shell.messageBox(text, kAppTitle, platform::kMbOk);
}

}  // namespace ui
