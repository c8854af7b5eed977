// The month-folder work list: bare folder names joined by CR LF, the next one to delete first.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace clean {

// The visible sub-folders of `folder` (hidden and system ones left out), newest (highest name)
// first, whatever order the volume lists them.
std::string buildWorkList(platform::FileSystem& fs, const std::string& folder);

std::string firstEntry(const std::string& list);
void dropFirst(std::string& list);
// Takes the entry `name` out of the list wherever it stands, letter case ignored as NTFS does.
void removeEntry(std::string& list, const std::string& name);

// The number of newest folders to keep, from the months box: digits only, else nothing.
std::optional<unsigned> parseKeepCount(const std::string& text);

}  // namespace clean
