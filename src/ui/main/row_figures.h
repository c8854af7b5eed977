// What the grid shows for one row: the bytes of every folder the row cleans and how many month
// folders (or sub-folders) it holds. Runs on the measurer's thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "space/measurer.h"
#include "wechat/categories.h"

namespace ui {

struct RowMeasure {
  platform::FolderSize size;  // `exists` when any of the row's folders is there
  std::uint64_t count = 0;
};

// A row's folder, its other whole folder, and its per-chat parents (those not inside the folder)
// are walked; the count is the folder's sub-folders (month names only where the table says so,
// the companion not counted) plus the per-chat month folders.
RowMeasure measureRow(platform::FileSystem& fs, const space::Measurer::Walk& walk,
                      const std::string& account, const wechat::Category& category);

}  // namespace ui
