// Scratch files made without the code under test, scripts on the Linux side (links, names Windows
// cannot make), and the real Velmora.exe driven through its windows, found by their control names.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "platform/win32/handle.h"
#include "platform/win32/wide.h"

namespace wine_test {

using namespace std::chrono_literals;
using platform::win32::narrow;
using platform::win32::widen;

// A new folder in Documents, removed with all in it (links not followed) when it goes. In a Wine
// prefix Documents is a link to the (throwaway) home folder: every test runs below a link.
struct TempFolder {
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  std::string path;  // UTF-8, no trailing backslash
};

inline std::wstring rawPath(const std::string& path) {  // the \\?\ form of an absolute path
  return L"\\\\?\\" + widen(path);
}
inline bool exists(const std::string& path) {
  return GetFileAttributesW(rawPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
// Makes `path` and the folders above it: a folder when it ends in a backslash, else this file.
bool make(const std::string& path, const std::string& content = "x");
std::string unixPath(const std::string& path);  // under Wine; empty on Windows
// Runs a /bin/sh script in `where` on the Linux side; true once it succeeded.
bool runUnixScript(const std::string& where, const std::string& script);
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s,
             std::chrono::milliseconds interval = 50ms);

std::string textOf(HWND h);  // also of another process's windows
// Posts a click as a user's arrives: to `window`, or to the button `id` of a message box.
void click(HWND window, int id = 0);

// Velmora.exe from the test's own folder, the registry naming `documents` the Documents folder
// (in the test prefix's own registry) while it lives; closed (or ended) when the object goes.
class App {
 public:
  explicit App(const std::string& documents);
  ~App();
  bool waitForExit(std::chrono::milliseconds timeout) {
    return WaitForSingleObject(process_.get(), DWORD(timeout.count())) == WAIT_OBJECT_0;
  }
  // A visible window of the process titled `text`, or a message box saying it (any, if empty).
  HWND window(const std::string& text, std::chrono::milliseconds timeout = 20s) const;
  HWND mainWindow(std::chrono::milliseconds timeout = 20s) const {
    return window("Velmora::Harrowfen", timeout);
  }
  HWND control(const std::string& name) const;  // in any window of the process

 private:
  platform::win32::unique_handle process_;
  DWORD pid_ = 0;
};

}  // namespace wine_test
