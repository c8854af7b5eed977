// Win32Environment against the real system: a file of the test's own, the prefix's environment,
// the system's code pages and a real process started under WeChat 4.x's name.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/environment.h"
#include "platform/win32/handle.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

namespace {

platform::win32::Win32Environment env;

TEST(Win32Environment, ReadsSmallFilesExpandsAndDecodes) {
  ports_test::TempFolder tmp;
  const std::string gbk("D:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD", 11),
      ini = tmp.path() + "\\配置.ini";
  ASSERT_TRUE(ports_test::writeFile(ini, gbk));
  EXPECT_EQ(env.readSmallFile(ini, 11), gbk);
  for (const std::string& refused : {ini + "x", tmp.path()})
    EXPECT_EQ(env.readSmallFile(refused, 100), std::nullopt) << refused;
  EXPECT_EQ(env.readSmallFile(ini, 10), std::nullopt) << "larger than allowed";

  wchar_t appData[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH), 0u);
  EXPECT_EQ(env.expandEnvironment("%APPDATA%\\Tencent %NO_SUCH_NAME%"),
            platform::win32::narrow(appData) + "\\Tencent %NO_SUCH_NAME%");

  EXPECT_EQ(env.decode(gbk, platform::kCodePageGbk), "D:\\微信数据");
  EXPECT_EQ(env.decode(gbk, platform::kCodePageUtf8), std::nullopt);
  EXPECT_EQ(env.decode("\xCE", platform::kCodePageGbk), std::nullopt);  // half a character
  EXPECT_EQ(env.decode("D:\\微信数据", platform::kCodePageUtf8), "D:\\微信数据");
}

TEST(Win32Environment, SeesAProcessByItsNameWithoutCase) {
  ports_test::TempFolder tmp;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring idle = self, copy = platform::win32::widen(tmp.path()) + L"\\Weixin.exe";
  idle = idle.substr(0, idle.find_last_of(L'\\') + 1) + L"velmora_idle_process.exe";
  ASSERT_TRUE(CopyFileW(idle.c_str(), copy.c_str(), TRUE));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(copy.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info));
  platform::win32::unique_handle process(info.hProcess), thread(info.hThread);
  auto end = platform::win32::scope_exit([&] {
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 10000);  // before the folder holding it goes
  });
  // Another test may run a process of that name too: only the positive answer is ours to check.
  EXPECT_TRUE(env.processRunning({"WeChat.exe", "weixin.EXE"}));
  EXPECT_FALSE(env.processRunning({"Weixin", "Weixin.exe.exe", "velmora-nothing.exe"}));
}

}  // namespace
