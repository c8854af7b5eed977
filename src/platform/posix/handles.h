// The POSIX handle kinds the backends own: a descriptor and a directory stream.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include "platform/unique_any.h"

namespace platform::posix {

using unique_fd = unique_any<int, &::close, -1>;
using unique_dir = unique_any<DIR*, &::closedir>;

}  // namespace platform::posix
