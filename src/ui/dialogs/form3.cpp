#include "ui/dialogs/form3.h"

#include "clean/report_text.h"
#include "ui/main/form1.h"

namespace ui {

Form3::Form3(Form1& main, const Ports& ports)
    : Form("Form3"),
      Label1(*this, "Label1"),
      Command1(*this, "Command1"),
      Command2(*this, "Command2"),
      Command3(*this, "Command3"),
      main_(main),
      ports_(ports) {
  setTitle("微信接收的文件");
  setClientSized(true);
  setSize(5655, 1350);
  Label1.setRect({120, 120, 5415, 435});
  Label1.setFont({"微软雅黑", 14.25, true});
  Label1.setAlign(Align::Center);
  Command1.setRect({840, 660, 1455, 495});
  Command1.setText("一键全部清理");
  Command2.setRect({3120, 660, 1755, 495});
  Command2.setText("我自己手工删除");
  Command3.setRect({6780, 900, 375, 315});
  Command3.setText("Command3");
  Command3.setTabIndex(0);
  Command2.setTabIndex(1);
  Label1.setTabIndex(2);
  Command1.setTabIndex(3);
  Command1.onClick = [this] { clearAll(); };
  Command2.onClick = [this] { openByHand(); };
  onUnload = [this] { unload(); };
}

void Form3::load() {
  accountPath = main_.lujin;
  receivedPath = accountPath + "\\FileStorage\\file\\";
  Label1.setText("微信接收/发送的所有文件 是否清理？");
  bool there = ports_.fs.exists(receivedPath);
  if (!there) Label1.setText("没找到File文件夹,有点郁闷...");
  Command1.setEnabled(there);
  Command2.setEnabled(there);
}

void Form3::open() {
  load();
  show();
  main_.hide();
  setFocus(Command3);
}

void Form3::unload() {
  hide();
  main_.show();
}

void Form3::clearAll() {
  if (clearing_) {
    ports_.shell.messageBox(kBusyCleaning, kAppTitle, platform::kMbOk);
    return;
  }
  clearing_ = true;
  std::string prompt = "确认删除" + receivedPath + "所有文件吗？确认后将直接清空";
  if (ports_.shell.messageBox(prompt, kConfirmTitle,
                              platform::kMbOkCancel | platform::kMbIconQuestion) !=
      platform::kIdOk) {
    clearing_ = false;
    return;
  }
  ports_.remover.remove(receivedPath, accountPath, [this](const clean::RemovalReport& r) {
    clearing_ = false;
    if (!r.gone) ports_.shell.messageBox(clean::leftBehindNotice(r), kAppTitle, platform::kMbOk);
  });
  unload();
}

void Form3::openByHand() {
  // Quoted: unquoted, a path with spaces opens nothing.
  ports_.shell.startProcess(explorerCommand(ports_.shell) + " \"" + receivedPath + "\"",
                            platform::ShowStyle::Normal);
  unload();
}

}  // namespace ui
