#pragma once

#include <string>

namespace platform {

// How a started program's window is shown (the SW_ values).
enum class ShowStyle { Normal = 1, Minimized = 2 };

// Message box styles and answers, with the values of the Win32 MessageBox API.
enum MessageBoxStyle : unsigned {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbCancelTryContinue = 0x6,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
};
enum MessageBoxResult : int { kIdOk = 1, kIdCancel = 2, kIdTryAgain = 10, kIdContinue = 11 };

class Shell {
 public:
  virtual ~Shell() = default;
  // Starts a program from a command line and returns at once; false if it could not start.
  virtual bool startProcess(const std::string& commandLine, ShowStyle style) = 0;
  // A modal message box; timers and other events keep running while it is open.
  virtual int messageBox(const std::string& text, const std::string& title, unsigned style) = 0;
  // The system folder picker; the chosen file-system path, or empty after Cancel.
  virtual std::string browseForFolder(const std::string& title) = 0;
  // Blocks the calling (UI) thread.
  virtual void sleep(unsigned milliseconds) = 0;
  // The decimal separator of the user's regional settings.
  virtual std::string decimalSeparator() { return "."; }
  // The Windows folder (%WINDIR%), where explorer.exe lives.
  virtual std::string windowsFolder() = 0;
};

}  // namespace platform
