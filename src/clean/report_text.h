// What the user is told when a removal could not finish, in the window's own language.
#pragma once

#include <string>

#include "clean/remover.h"

namespace clean {

// Empty when the folder is gone. Otherwise how many entries stayed and why, asking the user to
// quit WeChat and try again, or why the target was refused.
std::string leftBehindNotice(const RemovalReport& report);

}  // namespace clean
