// The staged scan: the grid's rows are measured one after another, each one a pause after the
// previous row's figures arrived, so the rows fill in one by one while the window stays alive.
#include "ui/main/main_window.h"

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
  const std::string account = account_;
  const std::string folder = account + std::string(table_.categories[row].folder);
  auto arrived = [this, account, folder, row](const platform::FolderSize& size) {
    // Figures of an account the window no longer shows are no use; its successor's own
    // validation scans it afresh.
    if (account != account_) return;
    space::FolderFigures figures =
        space::figuresOf(size, space::Palette::Category, ports_.shell.decimalSeparator());
    // The companion folder lies inside the row's folder but is not one of its months; only one
    // that is really there is taken off.
    const std::string_view companion = table_.categories[row].companion;
    if (!companion.empty() && figures.subfolders > 0 &&
        ports_.fs.isDirectory(folder + std::string(companion) + "\\"))
      --figures.subfolders;
    showCategoryFigures(row, figures);
    if (row + 1 < scanStages.size())
      scanStages[row + 1]->setEnabled(true);
    else
      status.setText("计算结束");
  };
  // Without an account every row is a folder that is not there.
  if (account.empty()) return arrived(platform::FolderSize{});
  std::weak_ptr<bool> alive = alive_;
  ports_.measurer.measure(folder, [alive, arrived](const platform::FolderSize& size) {
    if (!alive.expired()) arrived(size);
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
