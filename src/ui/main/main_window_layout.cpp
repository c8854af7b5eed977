// The main window's controls: captions, places (twips), colours and fonts, one function per area.
// The grid's rows take their captions and tooltips from the category table, their places and scan
// pacing from the window's own table below.
#include <initializer_list>

#include "ui/main/main_window.h"

namespace ui {

namespace {
constexpr Color kRed = Color::rgb(192, 0, 0);
constexpr Color kGreen = Color::rgb(0, 128, 0);
constexpr Color kPurple = Color::rgb(128, 0, 128);
constexpr Color kGrey = Color::rgb(128, 128, 128);
constexpr Color kCyan = Color::rgb(0, 192, 192);

// Where the grid's rows stand and how long a scan pauses before it measures each; every category
// table has these rows, in this order.
struct RowPlace {
  int top = 0;                 // of the button, in twips within the grid
  int labelDrop = 60;          // the row's labels stand this much lower than its button
  unsigned scanDelayMs = 500;  // the pause before the row is measured in a scan
};
constexpr RowPlace kRowPlaces[] = {
    {.top = 660, .scanDelayMs = 200},
    {.top = 1020, .scanDelayMs = 200},
    {.top = 1380},
    {.top = 1740},
    {.top = 2160},
    {.top = 2520},
    {.top = 2880},
    {.top = 3720, .labelDrop = 120},
};
static_assert(std::size(kRowPlaces) == wechat::kClassicCategories.size() &&
              std::size(kRowPlaces) == wechat::kCurrentCategories.size());

// A risk mark at the grid's left edge, one for each group of rows of the same risk.
struct RiskMark {
  wechat::Risk risk;
  const char* text;
  int top;
};
constexpr RiskMark kRiskMarks[] = {
    {wechat::Risk::Safe, "安全", 1140},
    {wechat::Risk::Warning, "警告", 2640},
    {wechat::Risk::Danger, "危险", 3840},
};

Font font(double points, bool bold = false, const char* face = "宋体") {
  return {face, points, bold};
}

Color riskColour(wechat::Risk risk) {
  switch (risk) {
    case wechat::Risk::Safe:
      return Color::rgb(0, 192, 0);
    case wechat::Risk::Warning:
      return Color::rgb(255, 128, 0);
    case wechat::Risk::Danger:
      break;
  }
  return Color::rgb(255, 0, 0);
}

// The names the risk marks have always had.
constexpr const char* kRiskMarkNames[] = {"Label6", "Label8", "Label7"};
static_assert(std::size(kRiskMarkNames) == std::size(kRiskMarks));

// `count` controls, the i-th made by `make(i)`, in order.
template <typename T, typename Make>
std::vector<std::unique_ptr<T>> makeEach(std::size_t count, Make make) {
  std::vector<std::unique_ptr<T>> made;
  for (std::size_t i = 0; i < count; ++i) made.push_back(make(static_cast<int>(i)));
  return made;
}

}  // namespace

MainWindow::AccountPanel::AccountPanel(Form& form)
    : frame(form, "Frame1"),
      accounts(form, "Combo1", &frame),
      sizeCaption(form, "Label4", &frame),
      size(form, "labelsize", &frame),
      openFolderButton(form, "Command1", &frame),
      path(form, "Labellujin", &frame) {}

MainWindow::CategoryRow::CategoryRow(Form& form, Control& grid, int number)
    : button(form, "C" + std::to_string(number), &grid),
      count(form, "Lab" + std::to_string(number), &grid),
      size(form, "lj" + std::to_string(number), &grid) {}

MainWindow::Grid::Grid(Form& form)
    : frame(form, "Frame3"),
      scanButton(form, "Commandjisuan", &frame),
      nameHeading(form, "Label12", &frame),
      countHeading(form, "Label13", &frame),
      sizeHeading(form, "Label15", &frame),
      rows(makeEach<CategoryRow>(
          std::size(kRowPlaces),
          [&](int i) { return std::make_unique<CategoryRow>(form, frame, i + 1); })),
      riskMarks(makeEach<Label>(
          std::size(kRiskMarks),
          [&](int i) { return std::make_unique<Label>(form, kRiskMarkNames[i], &frame); })),
      keepNewest(form, "Check1", &frame),
      monthsToKeep(form, "Textsj", &frame),
      rules(makeEach<Line>(7, [&](int i) {
        return std::make_unique<Line>(form, "Line" + std::to_string(i + 2), &frame);
      })) {}

MainWindow::BusyOverlay::BusyOverlay(Form& form)
    : frame(form, "Frame2"),
      pleaseWait(form, "Label16", &frame),
      notFrozen(form, "Label17", &frame),
      goesAway(form, "Label18", &frame),
      bar(form, "ProgressBar1", &frame),
      soFar(form, "Label19", &frame) {}

MainWindow::LegacyBanner::LegacyBanner(Form& form)
    : frame(form, "Frame4"), text(form, "Label14", &frame), cleanButton(form, "Command2", &frame) {}

MainWindow::MainWindow(const MainPorts& ports)
    : Form("Form1"),
      quitWarning(*this, "Label1"),
      freezeWarning(*this, "Label2"),
      aboutButton(*this, "Commandtip"),
      dataFolderCaption(*this, "Label3"),
      dataFolderBox(*this, "Text1"),
      pickFolderButton(*this, "CommandGetDirectory"),
      headerRule(*this, "Line1"),
      status(*this, "Labeltip"),
      accountPanel(*this),
      accountIdHelpButton(*this, "Commandyiwen"),
      grid(*this),
      busyOverlay(*this),
      legacyBanner(*this),
      focusSink(*this, "textwjsl"),
      discoveryTimer(ports.uiThread, "discovery", 200),
      validationTimer(ports.uiThread, "validation", 500),
      tipClearer(ports.uiThread, "tip clearer", 5000),
      ports_(ports),
      rowBytes_(std::size(kRowPlaces)) {
  for (std::size_t i = 0; i < std::size(kRowPlaces); ++i)
    scanStages.push_back(std::make_unique<Timer>(
        ports.uiThread, "scan stage " + std::to_string(i + 1), kRowPlaces[i].scanDelayMs));
  this->layout();
  wireEvents();
  tipClearer.setEnabled(true);
}

MainWindow::~MainWindow() = default;

void MainWindow::layout() {
  setTitle("Velmora::Harrowfen");
  layoutHeader();
  layoutAccountPanel();
  layoutGrid();
  layoutBusyOverlay();
  layoutLegacyBanner();
  place(focusSink, 5640, 9300, 1215, 315, "计算文件夹数量");
  focusSink.setTabStop(false);  // off screen: Tab landing there would seem to lose the focus
  setTabOrder();
  setSize(kWidth, kHeight);
}

void MainWindow::layoutHeader() {
  place(quitWarning, 180, 120, 5000, 300, "清理前请退出微信（注意：不是关闭微信聊天窗口，是退出）");
  quitWarning.setForeColor(kRed);
  place(freezeWarning, 180, 540, 3990, 300, "操作过程中程序可能会假死,是正常情况,不要强关！");
  freezeWarning.setForeColor(kGreen);
  // A touch smaller than the other lines so the warning ends before the help button.
  freezeWarning.setFont(font(8.25, false, "微软雅黑"));
  place(aboutButton, 4200, 420, 855, 435, "有疑问?");
  place(dataFolderCaption, 180, 1020, 1260, 300, "微信文件位置：");
  place(dataFolderBox, 1440, 960, 2295, 330);
  dataFolderBox.setTooltip(
      "如果没有正确识别微信文件夹，或是微信文件夹位置改过，请点击“改路径”按钮手动修改");
  place(pickFolderButton, 3840, 960, 1215, 330, "手动改路径");
  pickFolderButton.setTooltip("如果未正确识别或修改过微信文件夹，请手动改路径");
  place(headerRule, 180, 1440, 4920, 0);
  place(status, 120, 1500, 4995, 315);
  status.setForeColor(kPurple);
  status.setFont(font(9, true, "微软雅黑"));
  status.setAlign(Align::Center);
}

void MainWindow::layoutAccountPanel() {
  AccountPanel& a = accountPanel;
  place(a.frame, 180, 1920, 4995, 1155, "第1步：选择或输入你的微信账号");
  a.frame.setVisible(false);
  place(a.accounts, 240, 330, 2640, 315);
  place(a.sizeCaption, 3000, 375, 600, 300, "占用：");
  place(a.size, 3600, 375, 1300, 300, " 0.00");
  a.size.setForeColor(kRed);
  a.size.setFont(font(9, true));
  place(a.path, 240, 810, 3720, 255);
  a.path.setForeColor(kGrey);
  a.path.setFont(font(7.5));
  place(a.openFolderButton, 4080, 720, 735, 345, "看看");
  place(accountIdHelpButton, 3360, 1920, 1695, 255, "找不到自己的ID");
  accountIdHelpButton.setVisible(false);
}

void MainWindow::layoutGrid() {
  Grid& g = grid;
  place(g.frame, 180, 3120, 4995, 4275, "第2步：选择你要清理的项目");
  g.frame.setVisible(false);
  place(g.scanButton, 3240, 0, 1635, 300, "计算各文件夹占用");
  place(g.nameHeading, 1080, 360, 1200, 255, "清理项目");
  place(g.countHeading, 2400, 360, 1000, 255, "文件夹数");
  place(g.sizeHeading, 3480, 360, 1200, 255, "空间占用");
  for (std::size_t i = 0; i < g.rows.size(); ++i) {
    const wechat::Category& cat = table_->categories[i];
    const RowPlace& at = kRowPlaces[i];
    CategoryRow& r = *g.rows[i];
    const int labelTop = at.top + at.labelDrop;
    place(r.button, 900, at.top, 1515, 330, std::string(cat.caption));
    place(r.count, 2520, labelTop, 855, 255, "______");
    r.count.setAlign(Align::Center);
    place(r.size, 3480, labelTop, 1395, 255, "______");
    r.size.setForeColor(kCyan);
    if (!cat.sizeTooltip.empty()) r.size.setTooltip(std::string(cat.sizeTooltip));
  }
  for (std::size_t i = 0; i < g.riskMarks.size(); ++i) {
    place(*g.riskMarks[i], 120, kRiskMarks[i].top, 600, 255, kRiskMarks[i].text);
    g.riskMarks[i]->setForeColor(riskColour(kRiskMarks[i].risk));
  }
  place(g.keepNewest, 420, 3360, 4455, 255, "仅删除      个月前的SNS、image和video数据");
  // The months box sits in the run of six spaces: only a face with half-width spaces, as SimSun
  // has, leaves that gap wide enough, so "个" stays visible after the box.
  g.keepNewest.setFont(font(9));
  g.keepNewest.setValue(1);
  g.keepNewest.setTooltip("如果想保留近2个月的图片和视频，请勾选");
  place(g.monthsToKeep, 1320, 3300, 375, 315, "6");
  g.monthsToKeep.setForeColor(Color::rgb(255, 0, 0));
  g.monthsToKeep.setFont(font(9, true));
  g.monthsToKeep.setAlign(Align::Center);
  g.monthsToKeep.setMaxLength(2);
  // Under the headings, between the risk groups, around the months line, and the column rules.
  const Rect rules[] = {{120, 600, 4755, 0},  {120, 2070, 4755, 0}, {120, 3240, 4755, 0},
                        {120, 3660, 4755, 0}, {840, 600, 0, 3540},  {2460, 600, 0, 2640},
                        {3420, 600, 0, 2640}};
  for (std::size_t i = 0; i < g.rules.size(); ++i) g.rules[i]->setRect(rules[i]);
}

void MainWindow::layoutBusyOverlay() {
  BusyOverlay& o = busyOverlay;
  // Laid out beside the window; start-up moves it over the grid it covers.
  place(o.frame, 5520, 5340, 4995, 4275, "清理中");
  o.frame.setVisible(false);
  place(o.pleaseWait, 240, 900, 4515, 495, "清理中请稍后...");
  o.pleaseWait.setFont(font(15.75));
  o.pleaseWait.setAlign(Align::Center);
  place(o.notFrozen, 240, 1800, 4515, 990, "如界面卡住属于正常情况，不要强关");
  o.notFrozen.setFont(font(15.75));
  o.notFrozen.setAlign(Align::Center);
  place(o.goesAway, 240, 3120, 4515, 375, "清理结束本窗口消失");
  o.goesAway.setFont(font(12));
  o.goesAway.setAlign(Align::Center);
  place(o.bar, 240, 3600, 4515, 240);
  o.bar.setRange(0, ProgressBar::kSteps);
  place(o.soFar, 240, 3900, 4515, 255);
  o.soFar.setAlign(Align::Center);
}

void MainWindow::layoutLegacyBanner() {
  LegacyBanner& b = legacyBanner;
  place(b.frame, 180, 7440, 4935, 1155, "存在老版微信垃圾，清理吗？");
  b.frame.setVisible(false);
  place(b.text, 300, 360, 3315, 735,
        "此电脑存在2019年及更早的微信垃圾，这些文件已彻底无用了，建议一键清理");
  b.text.setFont(font(10.5));
  place(b.cleanButton, 3720, 240, 1035, 795, "一键清理");
}

// Keyboard order: the path row, the account list, then the grid top to bottom, the months line in
// its place among the rows.
void MainWindow::setTabOrder() {
  Grid& g = grid;
  std::vector<Control*> order{&dataFolderBox,
                              &pickFolderButton,
                              &aboutButton,
                              &accountPanel.accounts,
                              &accountPanel.openFolderButton,
                              &accountIdHelpButton,
                              &g.scanButton};
  bool monthsLine = false;
  for (std::size_t i = 0; i < g.rows.size(); ++i) {
    if (!monthsLine && kRowPlaces[i].top > g.keepNewest.rect().top) {
      order.insert(order.end(), {&g.keepNewest, &g.monthsToKeep});
      monthsLine = true;
    }
    order.push_back(&g.rows[i]->button);
  }
  if (!monthsLine) order.insert(order.end(), {&g.keepNewest, &g.monthsToKeep});
  order.push_back(&legacyBanner.cleanButton);
  int tab = 0;
  for (Control* c : order) c->setTabIndex(tab++);
}

}  // namespace ui
