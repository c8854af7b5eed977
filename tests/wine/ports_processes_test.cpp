// Real second processes: SingleInstance across two of them, and Win32Shell::startProcess. This
// binary starts itself again, filtered to SingleInstanceChild, which answers through its exit code.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/handle.h"
#include "platform/win32/shell.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/wide.h"

using platform::win32::widen;

namespace {

constexpr int kSawOther = 10, kWasFirst = 11;

std::wstring selfPath() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

// Runs SingleInstanceChild in a second process that tries to take `name`; its exit code, or -1.
int runChild(const std::string& name) {
  std::wstring command = L"\"" + selfPath() + L"\" --gtest_filter=SingleInstanceChild.*";
  SetEnvironmentVariableW(L"VELMORA_INSTANCE_CHILD", widen(name).c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &info);
  SetEnvironmentVariableW(L"VELMORA_INSTANCE_CHILD", nullptr);
  if (!started) return -1;
  platform::win32::unique_handle process(info.hProcess), thread(info.hThread);
  DWORD code = 0;
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.get(), &code))
    return -1;
  return static_cast<int>(code);
}

}  // namespace

TEST(SingleInstance, SecondProcessSeesTheFirst) {
  // A name of this test run's own, so a Velmora.exe started by another test is not disturbed.
  const std::string name =
      "Local\\Velmora.SingleInstance.Test." + std::to_string(GetCurrentProcessId());
  {
    platform::win32::SingleInstance first(widen(name));
    ASSERT_FALSE(first.alreadyRunning());
    EXPECT_EQ(runChild(name), kSawOther);
  }
  EXPECT_EQ(runChild(name), kWasFirst);
}

TEST(SingleInstanceChild, Run) {
  wchar_t name[256] = {};
  if (GetEnvironmentVariableW(L"VELMORA_INSTANCE_CHILD", name, 256) == 0)
    GTEST_SKIP() << "only runs as the child of SingleInstance.SecondProcessSeesTheFirst";
  platform::win32::SingleInstance instance(name);
  ExitProcess(instance.alreadyRunning() ? kSawOther : kWasFirst);
}

TEST(Win32Shell, StartProcessStartsAQuotedPathAndReportsAMissingProgram) {
  platform::win32::Win32Shell shell;
  const std::string self = platform::win32::narrow(selfPath());
  EXPECT_TRUE(
      shell.startProcess("\"" + self + "\" --gtest_filter=None.*", platform::ShowStyle::Normal));
  EXPECT_FALSE(
      shell.startProcess("\"C:\\no such folder\\nothing.exe\"", platform::ShowStyle::Normal));
}
