// Helpers for the Win32 port tests: a scratch folder of the test's own and plain file set-up
// that never goes through the code under test.
#pragma once

#include <string>

namespace ports_test {

// A new folder under %TEMP% (UTF-8 path, no trailing backslash), removed with all its contents
// when the object goes. Setup and cleanup use their own \\?\ paths, never the code under test.
class TempFolder {
 public:
  TempFolder();
  // `path` itself, made only when nothing is there yet (else `path()` is empty).
  explicit TempFolder(const std::string& path);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Absolute UTF-8 path to the raw \\?\ form.
std::wstring rawPath(const std::string& path);
bool exists(const std::string& path);
bool makeFolder(const std::string& path);
bool writeFile(const std::string& path, const std::string& content);

// Under Wine, where the folder at `path` is on the Linux side; empty on Windows.
std::string unixPath(const std::string& path);
// Runs a /bin/sh script on the Linux side (links, names Windows cannot make) in the folder
// `where`, and waits until it has finished (false after ten minutes: the big trees of the
// end-to-end tests take minutes on a busy disk); with `wait` false, returns once it has started.
bool runUnixScript(const std::string& where, const std::string& script, bool wait = true);

}  // namespace ports_test
