// Win32Environment against the real system: a file of the test's own, the prefix's environment
// and the system's code pages. (The process list is seen by the end-to-end test with Weixin.exe.)
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/environment.h"
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

}  // namespace
