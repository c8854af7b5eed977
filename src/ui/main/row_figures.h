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

// What the row's deletion would take, walked; the count is the whole folders' sub-folders, or the
// month folders (the companion's not counted).
RowMeasure measureRow(platform::FileSystem& fs, const space::Measurer::Walk& walk,
                      const std::string& account, const wechat::Category& category);

}  // namespace ui
