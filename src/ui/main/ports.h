// Everything a form asks of the world outside it.
#pragma once

#include "clean/remover.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/timers.h"

namespace ui {

struct Ports {
  platform::FileSystem& fs;
  platform::Registry& registry;
  platform::Shell& shell;
  platform::TimerHost& timers;
  clean::Remover& remover;
};

}  // namespace ui
