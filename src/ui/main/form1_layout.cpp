// Form1's controls: captions, places (twips), colours and fonts, and the wiring of their events.
#include "ui/main/form1.h"
#include "wechat/categories.h"

namespace ui {

namespace {
constexpr Color kRed = Color::rgb(192, 0, 0);
constexpr Color kGreen = Color::rgb(0, 128, 0);
constexpr Color kPurple = Color::rgb(128, 0, 128);
constexpr Color kGrey = Color::rgb(128, 128, 128);
constexpr Color kCyan = Color::rgb(0, 192, 192);

void place(Control& c, int left, int top, int width, int height, std::string text = {}) {
  c.setRect({left, top, width, height});
  if (!text.empty()) c.setText(std::move(text));
}

Font font(double points, bool bold = false, const char* face = "宋体") {
  return {face, points, bold};
}
}  // namespace

Form1::Form1(const Ports& ports)
    : Form("Form1"),
      Label1(*this, "Label1"),
      Label2(*this, "Label2"),
      Commandtip(*this, "Commandtip"),
      Label3(*this, "Label3"),
      Text1(*this, "Text1"),
      CommandGetDirectory(*this, "CommandGetDirectory"),
      Line1(*this, "Line1"),
      Labeltip(*this, "Labeltip"),
      Frame1(*this, "Frame1"),
      Combo1(*this, "Combo1", &Frame1),
      Label4(*this, "Label4", &Frame1),
      labelsize(*this, "labelsize", &Frame1),
      Command1(*this, "Command1", &Frame1),
      Labellujin(*this, "Labellujin", &Frame1),
      Commandyiwen(*this, "Commandyiwen"),
      Frame3(*this, "Frame3"),
      Commandjisuan(*this, "Commandjisuan", &Frame3),
      Label12(*this, "Label12", &Frame3),
      Label13(*this, "Label13", &Frame3),
      Label15(*this, "Label15", &Frame3),
      C1(*this, "C1", &Frame3),
      C2(*this, "C2", &Frame3),
      C3(*this, "C3", &Frame3),
      C4(*this, "C4", &Frame3),
      C5(*this, "C5", &Frame3),
      C6(*this, "C6", &Frame3),
      C7(*this, "C7", &Frame3),
      C8(*this, "C8", &Frame3),
      Lab1(*this, "Lab1", &Frame3),
      Lab2(*this, "Lab2", &Frame3),
      Lab3(*this, "Lab3", &Frame3),
      Lab4(*this, "Lab4", &Frame3),
      Lab5(*this, "Lab5", &Frame3),
      Lab6(*this, "Lab6", &Frame3),
      Lab7(*this, "Lab7", &Frame3),
      Lab8(*this, "Lab8", &Frame3),
      lj1(*this, "lj1", &Frame3),
      lj2(*this, "lj2", &Frame3),
      lj3(*this, "lj3", &Frame3),
      lj4(*this, "lj4", &Frame3),
      lj5(*this, "lj5", &Frame3),
      lj6(*this, "lj6", &Frame3),
      lj7(*this, "lj7", &Frame3),
      lj8(*this, "lj8", &Frame3),
      Label6(*this, "Label6", &Frame3),
      Label8(*this, "Label8", &Frame3),
      Label7(*this, "Label7", &Frame3),
      Check1(*this, "Check1", &Frame3),
      Textsj(*this, "Textsj", &Frame3),
      Line2(*this, "Line2", &Frame3),
      Line3(*this, "Line3", &Frame3),
      Line4(*this, "Line4", &Frame3),
      Line5(*this, "Line5", &Frame3),
      Line6(*this, "Line6", &Frame3),
      Line7(*this, "Line7", &Frame3),
      Line8(*this, "Line8", &Frame3),
      Frame2(*this, "Frame2"),
      Label16(*this, "Label16", &Frame2),
      Label17(*this, "Label17", &Frame2),
      Label18(*this, "Label18", &Frame2),
      Frame4(*this, "Frame4"),
      Label14(*this, "Label14", &Frame4),
      Command2(*this, "Command2", &Frame4),
      C6Thumb(*this, "C6Thumb"),
      textwjsl(*this, "textwjsl"),
      Timerjiance(ports.timers, "Timerjiance", 200),
      Timer1(ports.timers, "Timer1", 500),
      ti1(ports.timers, "ti1", 200),
      ti2(ports.timers, "ti2", 200),
      ti3(ports.timers, "ti3", 500),
      ti4(ports.timers, "ti4", 500),
      ti5(ports.timers, "ti5", 500),
      ti6(ports.timers, "ti6", 500),
      ti7(ports.timers, "ti7", 500),
      Ti8(ports.timers, "Ti8", 500),
      Timer3(ports.timers, "Timer3", 5000),
      Timerdel(ports.timers, "Timerdel", 1000),
      ports_(ports),
      form2_(std::make_unique<Form2>(*this, ports)),
      form3_(std::make_unique<Form3>(*this, ports)) {
  rows_ = {{
      {},
      {&C1, &Lab1, &lj1, &ti1, &n1},
      {&C2, &Lab2, &lj2, &ti2, &n2},
      {&C3, &Lab3, &lj3, &ti3, &n3},
      {&C4, &Lab4, &lj4, &ti4, &n4},
      {&C5, &Lab5, &lj5, &ti5, &n5},
      {&C6, &Lab6, &lj6, &ti6, &n6},
      {&C7, &Lab7, &lj7, &ti7, &n7},
      {&C8, &Lab8, &lj8, &Ti8, &n8},
  }};
  layout();
  wireEvents();
  Timer3.setEnabled(true);
}

Form1::~Form1() {
  *alive_ = false;
}

void Form1::layout() {
  setTitle("Velmora::Harrowfen");

  place(Label1, 180, 120, 5000, 300, "清理前请退出微信（注意：不是关闭微信聊天窗口，是退出）");
  Label1.setForeColor(kRed);
  place(Label2, 180, 540, 3990, 300, "操作过程中程序可能会假死,是正常情况,不要强关！");
  Label2.setForeColor(kGreen);
  // A touch smaller than the other lines so the warning ends before the help button.
  Label2.setFont(font(8.25, false, "微软雅黑"));
  place(Commandtip, 4200, 420, 855, 435, "有疑问?");
  place(Label3, 180, 1020, 1260, 300, "微信文件位置：");
  place(Text1, 1440, 960, 2295, 330);
  Text1.setTooltip(
      "如果没有正确识别微信文件夹，或是微信文件夹位置改过，请点击“改路径”按钮手动修改");
  place(CommandGetDirectory, 3840, 960, 1215, 330, "手动改路径");
  CommandGetDirectory.setTooltip("如果未正确识别或修改过微信文件夹，请手动改路径");
  place(Line1, 180, 1440, 4920, 0);
  place(Labeltip, 120, 1500, 4995, 315);
  Labeltip.setForeColor(kPurple);
  Labeltip.setFont(font(9, true, "微软雅黑"));
  Labeltip.setAlign(Align::Center);

  place(Frame1, 180, 1920, 4995, 1155, "第1步：选择或输入你的微信账号");
  Frame1.setVisible(false);
  place(Combo1, 240, 330, 2640, 315);
  place(Label4, 3000, 375, 600, 300, "占用：");
  place(labelsize, 3600, 375, 1300, 300, " 0.00");
  labelsize.setForeColor(kRed);
  labelsize.setFont(font(9, true));
  place(Labellujin, 240, 810, 3720, 255);
  Labellujin.setForeColor(kGrey);
  Labellujin.setFont(font(7.5));
  place(Command1, 4080, 720, 735, 345, "看看");
  place(Commandyiwen, 3360, 1920, 1695, 255, "找不到自己的ID");
  Commandyiwen.setVisible(false);

  place(Frame3, 180, 3120, 4995, 4275, "第2步：选择你要清理的项目");
  Frame3.setVisible(false);
  place(Commandjisuan, 3240, 0, 1635, 300, "计算各文件夹占用");
  place(Label12, 1080, 360, 1200, 255, "清理项目");
  place(Label13, 2400, 360, 1000, 255, "文件夹数");
  place(Label15, 3480, 360, 1200, 255, "空间占用");
  for (const auto& cat : wechat::kCategories) {
    if (cat.scanTimer.empty()) continue;
    const Row& r = rows_[static_cast<std::size_t>(cat.row)];
    int top = cat.row == 1   ? 660
              : cat.row == 2 ? 1020
              : cat.row == 3 ? 1380
              : cat.row == 4 ? 1740
              : cat.row == 5 ? 2160
              : cat.row == 6 ? 2520
              : cat.row == 7 ? 2880
                             : 3720;
    int labelTop = top + (cat.row == 8 ? 120 : 60);
    place(*r.button, 900, top, 1515, 330, std::string(cat.caption));
    place(*r.count, 2520, labelTop, 855, 255, "______");
    r.count->setAlign(Align::Center);
    place(*r.size, 3480, labelTop, 1395, 255, "______");
    r.size->setForeColor(kCyan);
  }
  lj5.setTooltip("点击打开Image文件夹");
  lj6.setTooltip("点击打开Image文件夹");
  lj7.setTooltip("点击打开Video文件夹");
  place(Label6, 120, 1140, 600, 255, "安全");
  Label6.setForeColor(Color::rgb(0, 192, 0));
  place(Label8, 120, 2640, 600, 255, "警告");
  Label8.setForeColor(Color::rgb(255, 128, 0));
  place(Label7, 120, 3840, 600, 255, "危险");
  Label7.setForeColor(Color::rgb(255, 0, 0));
  place(Check1, 420, 3360, 4455, 255, "仅删除      个月前的SNS、image和video数据");
  // The months box sits in the run of six spaces: only a face with half-width spaces, as SimSun
  // has, leaves that gap wide enough, so "个" stays visible after the box.
  Check1.setFont(font(9));
  Check1.setValue(1);
  Check1.setTooltip("如果想保留近2个月的图片和视频，请勾选");
  place(Textsj, 1320, 3300, 375, 315, "6");
  Textsj.setForeColor(Color::rgb(255, 0, 0));
  Textsj.setFont(font(9, true));
  Textsj.setAlign(Align::Center);
  Textsj.setMaxLength(2);
  // Grid lines: under the headings, between the risk groups, and the column rules.
  place(Line2, 120, 600, 4755, 0);
  place(Line3, 120, 2070, 4755, 0);
  place(Line4, 120, 3240, 4755, 0);
  place(Line5, 120, 3660, 4755, 0);
  place(Line6, 840, 600, 0, 3540);
  place(Line7, 2460, 600, 0, 2640);
  place(Line8, 3420, 600, 0, 2640);

  place(Frame2, 5520, 5340, 4995, 4275, "清理中");
  Frame2.setVisible(false);
  place(Label16, 240, 900, 4515, 495, "清理中请稍后...");
  Label16.setFont(font(15.75));
  Label16.setAlign(Align::Center);
  place(Label17, 240, 1800, 4515, 990, "如界面卡住属于正常情况，不要强关");
  Label17.setFont(font(15.75));
  Label17.setAlign(Align::Center);
  place(Label18, 240, 3120, 4515, 375, "清理结束本窗口消失");
  Label18.setFont(font(12));
  Label18.setAlign(Align::Center);

  place(Frame4, 180, 7440, 4935, 1155, "存在老版微信垃圾，清理吗？");
  Frame4.setVisible(false);
  place(Label14, 300, 360, 3315, 735,
        "此电脑存在2019年及更早的微信垃圾，这些文件已彻底无用了，建议一键清理");
  Label14.setFont(font(10.5));
  place(Command2, 3720, 240, 1035, 795, "一键清理");

  place(C6Thumb, 540, 5280, 1215, 375, "C6Thumb");
  C6Thumb.setVisible(false);
  place(textwjsl, 5640, 9300, 1215, 315, "计算文件夹数量");
  textwjsl.setTabStop(false);  // off screen: Tab landing there would seem to lose the focus

  // Keyboard order: the path row, the account list, then the grid top to bottom.
  int tab = 0;
  for (Control* c : std::initializer_list<Control*>{
           &Text1, &CommandGetDirectory, &Commandtip, &Combo1, &Command1, &Commandyiwen,
           &Commandjisuan, &C1, &C2, &C3, &C4, &C5, &C6, &C7, &Check1, &Textsj, &C8, &Command2})
    c->setTabIndex(tab++);

  setSize(kWidth, kHeight);
}

}  // namespace ui
