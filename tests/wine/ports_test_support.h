// Helpers for the Win32 port tests: a scratch folder of the test's own, answering the modal
// dialogs the code under test opens, and pumping the UI thread's messages.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace ports_test {

// A new folder under %TEMP% (UTF-8 path, no trailing backslash), removed with all its contents
// when the object goes. Setup and cleanup use their own \\?\ paths, never the code under test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Absolute UTF-8 path to the raw \\?\ form.
std::wstring rawPath(const std::string& path);
bool makeFolder(const std::string& path);
bool writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);

// The first visible dialog box (#32770) of this process, or nullptr after `timeout`.
HWND waitForDialog(std::chrono::milliseconds timeout);
void clickButton(HWND dialog, int buttonId);

// Dispatches this thread's messages until `done` is true; false on timeout.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// This test binary's own path, for tests that start a second copy of it.
std::wstring selfPath();

// Exit codes of the PortsChild test in "single-instance:<mutex name>" mode.
inline constexpr int kChildSawOtherInstance = 10;
inline constexpr int kChildWasFirstInstance = 11;

// Runs this binary's PortsChild test with VELMORA_PORTS_CHILD=`mode` in its environment; the
// child's exit code, or -1 if it could not run.
int runChild(const std::string& mode);

}  // namespace ports_test
