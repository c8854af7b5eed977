// The staged scan: the grid's rows are measured one after another, each one a pause after the
// previous row's figures arrived, so the rows fill in one by one while the window stays alive.
#include "ui/main/main_window.h"
#include "ui/main/row_figures.h"

namespace ui {

namespace {
constexpr const char* kCalculating = "正在计算空间占用情况，请稍等...";
}

void MainWindow::clearCategoryFigures() {
  for (auto& row : grid.rows) row->size.setText("");
  for (auto& row : grid.rows) row->count.setText("");
}

// A second start while a scan runs starts over from the first row; stages of the earlier scan
// that are already under way still fill their rows, so each row ends with its latest figures.
void MainWindow::startScan() {
  clearCategoryFigures();
  if (!scanStages.empty()) scanStages.front()->setEnabled(true);
  status.setText(kCalculating);
}

void MainWindow::measureCategory(std::size_t row) {
  scanStages[row]->setEnabled(false);
  remeasureRow(row, [this, row] {
    if (row + 1 < scanStages.size())
      scanStages[row + 1]->setEnabled(true);
    else
      status.setText("计算结束");
  });
}

void MainWindow::remeasureRow(std::size_t row, std::function<void()> then) {
  const wechat::Category& cat = table_->categories[row];
  const std::string account = account_;
  auto arrived = [this, account, row, then](const RowMeasure& m) {
    // Figures of an account the window no longer shows are no use; its successor's own
    // validation scans it afresh.
    if (account != account_) return;
    space::FolderFigures figures =
        space::figuresOf(m.size, space::Palette::Category, ports_.shell.decimalSeparator());
    figures.subfolders = m.count;
    rowBytes_[row] = m.size.bytes;
    showCategoryFigures(row, figures);
    then();
  };
  if (cat.folder.empty()) {  // this WeChat has no such folder: the dash stays
    grid.rows[row]->size.setText("—");
    grid.rows[row]->count.setText("—");
    return then();
  }
  // Without an account every row is a folder that is not there.
  if (account.empty()) return arrived(RowMeasure{});
  platform::FileSystem& fs = ports_.fs;
  ports_.measurer.run(
      [&fs, account, &cat, arrived = life_.ifAlive(arrived)](const space::Measurer::Walk& walk) {
        const RowMeasure m = measureRow(fs, walk, account, cat);
        return std::function<void()>([arrived, m] { arrived(m); });
      });
}

void MainWindow::showCategoryFigures(std::size_t row, const space::FolderFigures& figures) {
  if (figures.colour)
    lastSizeColour_ = Color::rgb(figures.colour->r, figures.colour->g, figures.colour->b);
  CategoryRow& r = *grid.rows[row];
  r.size.setText("×" + figures.text);
  r.size.setForeColor(lastSizeColour_);
  r.count.setText(std::to_string(figures.subfolders) + "个");
}

// Clears the status line every five seconds until it meets the scan's own message; from then on
// messages stay until something else replaces them.
void MainWindow::clearStaleTip() {
  if (status.text() == kCalculating)
    tipClearer.setEnabled(false);
  else
    status.setText("");
}

}  // namespace ui
