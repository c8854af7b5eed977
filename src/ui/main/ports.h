// Everything a form asks of the world outside it.
#pragma once

#include <string>

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

// The file manager by its full path: by bare name Windows would look in Velmora's own folder
// first, and run whatever "explorer.exe" lies there.
inline std::string explorerCommand(platform::Shell& shell) {
  return "\"" + shell.windowsFolder() + "\\explorer.exe\"";
}

}  // namespace ui
