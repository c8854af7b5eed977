// The shell port on the real Win32 API. Call it from the UI thread: message boxes are owned by
// the window that asks (or the thread's active one), the folder picker by the active window.
#pragma once

#include "platform/shell.h"

namespace platform::win32 {

class Win32Shell : public platform::Shell {
 public:
  bool startProcess(const std::string& commandLine, ShowStyle style) override;
  Answer messageBox(const std::string& text, const std::string& title, Buttons buttons, Icon icon,
                    WindowHandle owner) override;
  std::string browseForFolder(const std::string& title) override;
  std::string decimalSeparator() override;
  std::string windowsFolder() override;

  // Ends every dialog of the calling thread (message boxes, the folder picker) as Cancel would.
  // Whoever ends the program calls it first, so no open question is taken as answered.
  static void cancelOpenBoxes();
};

}  // namespace platform::win32
