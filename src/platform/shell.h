#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A window of ours as the system knows it (an HWND on Windows); 0: none.
using WindowHandle = std::uintptr_t;

// How a started program's window is shown (the SW_ values).
enum class ShowStyle { Normal = 1 };

// What a message box offers and what the user answered, in our own terms; the Win32 port maps
// them to the MB_ and ID values.
enum class Buttons { Ok, OkCancel, CancelTryContinue };
enum class Icon { None, Question, Warning };
enum class Answer { Ok, Cancel, TryAgain, Continue };

class Shell {
 public:
  virtual ~Shell() = default;
  // Starts a program from a command line and returns at once; false if it could not start.
  virtual bool startProcess(const std::string& commandLine, ShowStyle style) = 0;
  // A modal message box over `owner`, which is disabled while it is open; timers and other
  // events keep running. A box that closes without a button being pressed (the program ending)
  // answers Cancel.
  virtual Answer messageBox(const std::string& text, const std::string& title,
                            Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                            WindowHandle owner = 0) = 0;
  // The system folder picker; the chosen file-system path, or empty after Cancel.
  virtual std::string browseForFolder(const std::string& title) = 0;
  // The decimal separator of the user's regional settings.
  virtual std::string decimalSeparator() { return "."; }
  // The Windows folder (%WINDIR%), where explorer.exe lives.
  virtual std::string windowsFolder() = 0;
};

// The file manager by its full path: by bare name Windows would look in Velmora's own folder
// first, and run whatever "explorer.exe" lies there. `folder` is quoted; without one the file
// manager opens its default view.
std::string explorerCommand(Shell& shell, const std::string& folder = {});

}  // namespace platform
