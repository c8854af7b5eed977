// End-to-end helpers: a made-up WeChat data tree, the prefix's Documents folder pointed at it, and
// the real Velmora.exe started and watched from outside, through its windows only. The binding
// tags every window with its control name, so tests find `Combo1` or `Labeltip` by name.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

// Creates the folders and files below `root` (UTF-8, no trailing backslash). An entry ending in a
// backslash is a folder, any other a file of `fileSize` bytes; parents are made as needed.
bool makeTree(const std::string& root, const std::vector<std::string>& entries,
              std::size_t fileSize = 1000);

// Points HKCU\...\Explorer\Shell Folders\Personal at a folder while it lives (the prefix is the
// test run's own), and removes the value when it goes.
struct DocumentsFolder {
  explicit DocumentsFolder(const std::string& folder);
  ~DocumentsFolder();
};

// Polls `done` every `interval` until it holds; false after `timeout`.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s,
             std::chrono::milliseconds interval = 50ms);

std::string textOf(HWND h);
std::vector<std::string> comboItems(HWND combo);
// Input as a user's would arrive, for controls of another process. A click is BN_CLICKED to the
// control's parent, posted, so that a modal box the handler opens does not hold the test up.
void click(HWND control);
// Selects list entry `index` and sends the CBN_SELCHANGE a choice with the mouse sends.
void chooseComboItem(HWND combo, int index);

// One Velmora.exe process, started from the test binary's folder. It never outlives the object:
// the destructor closes the main window and, if the process does not end, terminates it.
class App {
 public:
  App();
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  bool waitForExit(std::chrono::milliseconds timeout);  // true when the process ended in time
  DWORD exitCode() const;

  // The visible top-level window of the process with this title, waiting up to `timeout`.
  HWND waitForWindow(const std::string& title, std::chrono::milliseconds timeout = 20s) const;
  HWND mainWindow(std::chrono::milliseconds timeout = 20s) const {
    return waitForWindow("Velmora::Harrowfen", timeout);
  }
  bool hasVisibleWindow() const;
  // The control of that name in any window of the process, or nullptr.
  HWND control(const std::string& name) const;

  // A message box (#32770) of the process, with this text when one is given, waiting up to
  // `timeout`.
  HWND waitForMessageBox(std::chrono::milliseconds timeout = 10s,
                         const std::string& text = {}) const;
  static std::string messageText(HWND box);
  static void answer(HWND box, int id);  // presses IDOK or IDCANCEL

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

}  // namespace e2e
