// What the tests under Wine share: scratch folders and files made without the code under test,
// scripts on the Linux side (links, names Windows cannot make), and the real Velmora.exe driven
// from outside through its windows, found by the control names the binding tags them with.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/win32/handle.h"

namespace wine_test {

using namespace std::chrono_literals;

// A new folder in %TEMP% or `parent`, removed with all in it (links not followed) when it goes.
class TempFolder {
 public:
  explicit TempFolder(std::string parent = {});
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  const std::string& path() const { return path_; }  // UTF-8, no trailing backslash

 private:
  std::string path_;
};

std::wstring rawPath(const std::string& path);  // the \\?\ form of an absolute path
bool exists(const std::string& path);
// Makes `path` and the folders above it: a folder when it ends in a backslash, else a file that
// holds `content`, or `size` bytes (only the length set: a big file takes no room).
bool make(const std::string& path, std::uint64_t size = 1, const std::string& content = {});
std::string unixPath(const std::string& path);  // under Wine; empty on Windows
// Runs a /bin/sh script in `where` on the Linux side; true once it succeeded (or started).
bool runUnixScript(const std::string& where, const std::string& script, bool wait = true);
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s,
             std::chrono::milliseconds interval = 50ms);

// Names the Documents folder in the registry (the test prefix's own) while the object lives.
struct DocumentsFolder {
  explicit DocumentsFolder(const std::string& folder);
  ~DocumentsFolder();
};
std::string textOf(HWND h);  // also of another process's windows
// Posts a click as a user's arrives: to `window`, or to the button `id` of a message box.
void click(HWND window, int id = 0);

// Velmora.exe from the test's own folder; the object closes (or ends) it when it goes.
class App {
 public:
  App();
  ~App();
  bool waitForExit(std::chrono::milliseconds timeout);
  DWORD exitCode() const;
  // The visible top-level window with this title (a message box: "#32770" with this text).
  HWND window(const std::string& title, std::chrono::milliseconds timeout = 20s,
              const std::string& text = {}) const;
  HWND mainWindow(std::chrono::milliseconds timeout = 20s) const {
    return window("Velmora::Harrowfen", timeout);
  }
  HWND messageBox(const std::string& text = {}, std::chrono::milliseconds timeout = 10s) const {
    return window("#32770", timeout, text);
  }
  HWND control(const std::string& name) const;  // in any window of the process

 private:
  platform::win32::unique_handle process_;
  DWORD pid_ = 0;
};

}  // namespace wine_test
