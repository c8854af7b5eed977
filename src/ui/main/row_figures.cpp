#include "ui/main/row_figures.h"

#include "clean/plan.h"
#include "platform/path.h"

namespace ui {

// A row's figures are those of what clicking it would delete with nothing kept: the image row's
// thumbnails included (they follow it), loose files, hidden folders and what lies behind links
// left out (nothing deletes them).
RowMeasure measureRow(platform::FileSystem& fs, const space::Measurer::Walk& walk,
                      const std::string& account, const wechat::Category& category) {
  RowMeasure m;
  clean::PlanSize size;
  bool there = false;
  switch (category.deletion) {
    case wechat::Deletion::WholeFolder: {
      const clean::Plan plan = clean::wholeFolderPlan(fs, account, category);
      size = clean::sizeOf(plan, walk);
      there = fs.isDirectory(plan.groups.front().named) || plan.groups.size() > 1;
      break;
    }
    case wechat::Deletion::MonthByMonth: {
      const clean::Plan plan = clean::monthPlan(fs, account, category, false, std::nullopt);
      size = clean::sizeOf(plan, walk);
      if (!category.companion.empty())
        size.bytes +=
            clean::sizeOf(clean::monthPlan(fs, account, category, true, std::nullopt), walk).bytes;
      there =
          plan.itemCount() > 0 || fs.isDirectory(platform::path::join(account, category.folder));
      break;
    }
    case wechat::Deletion::ReceivedFilesDialog: {
      const clean::Plan plan = clean::receivedFilesPlan(fs, account, category);
      size = clean::sizeOf(plan, walk);
      there = plan.itemCount() > 0;
      break;
    }
  }
  m.size.exists = there;
  m.size.bytes = size.bytes;
  m.count = size.folders;
  return m;
}

}  // namespace ui
