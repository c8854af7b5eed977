// The work list of a month-by-month pass: folder names, the next one to delete first.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace clean {

using WorkList = std::deque<std::string>;

// The visible sub-folders of `folder` (hidden and system ones left out), newest (highest name)
// first, whatever order the volume lists them in.
WorkList buildWorkList(platform::FileSystem& fs, const std::string& folder);

// Takes `name` out of the list wherever it stands, letter case ignored as NTFS does.
void removeName(WorkList& list, std::string_view name);

// Takes the newest `count` folders off the list: they are kept.
void keepNewest(WorkList& list, unsigned count);

// The number of newest folders to keep, from the months box: digits only, else nothing.
std::optional<unsigned> parseKeepCount(const std::string& text);

}  // namespace clean
