// Win32Environment against the real system: files in the test's own temp folder, the prefix's
// environment, the system's code pages and a real process started under another name.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/environment.h"
#include "platform/win32/handle.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

using platform::win32::narrow;
using platform::win32::widen;

namespace {

platform::win32::Win32Environment env;

TEST(Win32Environment, ReadsSmallFilesOnly) {
  ports_test::TempFolder tmp;
  const std::string bytes("D:\\\xCE\xA2\xD0\xC5\0\r\n", 9);
  ASSERT_TRUE(ports_test::writeFile(tmp.path() + "\\配置.ini", bytes));
  EXPECT_EQ(env.readSmallFile(tmp.path() + "\\配置.ini", 9), bytes);
  EXPECT_EQ(env.readSmallFile(tmp.path() + "\\配置.ini", 8), std::nullopt);
  EXPECT_EQ(env.readSmallFile(tmp.path() + "\\missing.ini", 100), std::nullopt);
  EXPECT_EQ(env.readSmallFile(tmp.path(), 100), std::nullopt);
}

TEST(Win32Environment, ExpandsDefinedNamesAndLeavesOthers) {
  wchar_t appData[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH), 0u);
  EXPECT_EQ(env.expandEnvironment("%APPDATA%\\Tencent\\xwechat\\config\\"),
            narrow(appData) + "\\Tencent\\xwechat\\config\\");
  EXPECT_EQ(env.expandEnvironment("%VELMORA_NO_SUCH_NAME%\\数据"), "%VELMORA_NO_SUCH_NAME%\\数据");
}

TEST(Win32Environment, DecodesGbkAndRefusesWhatIsNotValid) {
  EXPECT_EQ(env.decode("D:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD", platform::kCodePageGbk),
            "D:\\微信数据");
  EXPECT_EQ(env.decode("D:\\微信数据", platform::kCodePageUtf8), "D:\\微信数据");
  EXPECT_EQ(env.decode("\xCE\xA2\xD0\xC5", platform::kCodePageUtf8), std::nullopt);
  EXPECT_EQ(env.decode("\xCE", platform::kCodePageGbk), std::nullopt);  // half a character
  EXPECT_EQ(env.decode("", platform::kCodePageGbk), "");
}

TEST(Win32Environment, SeesAProcessByItsNameWithoutCase) {
  ports_test::TempFolder tmp;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring idle = self;
  idle = idle.substr(0, idle.find_last_of(L'\\') + 1) + L"velmora_idle_process.exe";
  const std::wstring copy = widen(tmp.path()) + L"\\Weixin.exe";
  ASSERT_TRUE(CopyFileW(idle.c_str(), copy.c_str(), TRUE));
  std::wstring command = L"\"" + copy + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info));
  platform::win32::unique_handle process(info.hProcess), thread(info.hThread);
  auto end = platform::win32::scope_exit([&] {
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 10000);
  });
  // Other tests may run a process of that name too, so only the positive answer is ours to check.
  EXPECT_TRUE(env.processRunning({"WeChat.exe", "weixin.EXE"}));
  EXPECT_FALSE(env.processRunning({"Weixin", "Weixin.exe.exe", "velmora-nothing.exe"}));
}

}  // namespace
