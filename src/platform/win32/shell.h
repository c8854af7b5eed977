// The shell port on the real Win32 API. Call it from the UI thread: message boxes and the
// folder picker are owned by that thread's active window.
#pragma once

#include "platform/shell.h"

namespace platform::win32 {

class Win32Shell : public platform::Shell {
 public:
  bool startProcess(const std::string& commandLine, ShowStyle style) override;
  int messageBox(const std::string& text, const std::string& title, unsigned style) override;
  std::string browseForFolder(const std::string& title) override;
  void sleep(unsigned milliseconds) override;
  std::string decimalSeparator() override;
};

}  // namespace platform::win32
