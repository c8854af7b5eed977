// Win32Shell::startProcess with a real second process: this test binary, started again with a
// filter that runs nothing. (The single-instance rule is tested on the real exe, end to end.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/shell.h"
#include "platform/win32/wide.h"

TEST(Win32Shell, StartProcessStartsAQuotedPathAndReportsAMissingProgram) {
  std::wstring self(32768, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  platform::win32::Win32Shell shell;
  EXPECT_TRUE(shell.startProcess("\"" + platform::win32::narrow(self) + "\" --gtest_filter=None.*",
                                 platform::ShowStyle::Normal));
  EXPECT_FALSE(
      shell.startProcess("\"C:\\no such folder\\nothing.exe\"", platform::ShowStyle::Normal));
}
