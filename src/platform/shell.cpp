#include "platform/shell.h"

#include "platform/path.h"

namespace platform {

// Out of line so that a change to it (a mutant, say) recompiles one file instead of every window
// that includes the header.
std::string explorerCommand(Shell& shell, const std::string& folder) {
  std::string command = "\"" + path::join(shell.windowsFolder(), "explorer.exe") + "\"";
  if (!folder.empty()) command += " \"" + folder + "\"";
  return command;
}

}  // namespace platform
