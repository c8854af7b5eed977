// The small Win32 ports against the real (Wine) system; the registry port is read by every
// end-to-end test. Set-up never goes through the code under test.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "platform/win32/environment.h"
#include "platform/win32/file_system.h"
#include "platform/win32/shell.h"
#include "platform/win32/wide.h"
#include "support.h"

using namespace platform::win32;

// Every name is kept as it is: Win32 would drop a trailing dot or space and reach a sibling.
TEST(Win32Paths, LiteralAndFullPathsKeepEveryName) {
  const std::string surrogates = "微信 \xF0\x9F\x98\x80 é";
  EXPECT_EQ(narrow(widen(surrogates)), surrogates);
  wchar_t cwd[MAX_PATH] = {};
  const std::wstring here(cwd, GetCurrentDirectoryW(MAX_PATH, cwd)), drive = here.substr(0, 2);
  const std::pair<const char*, std::wstring> cases[] = {
      {R"(C:/a//b/)", LR"(\\?\C:\a\b)"},
      {R"(E:\\WeChat Files\)", LR"(\\?\E:\WeChat Files)"},  // a drive root from the picker
      {R"(C:\m\2023-01. )", LR"(\\?\C:\m\2023-01. )"},
      {R"(C:\a\..\b\.\CON)", LR"(\\?\C:\b\CON)"},
      {R"(C:\..)", LR"(\\?\C:\)"},
      {R"(\\srv\share\..\..\x)", LR"(\\?\UNC\srv\share\x)"},
      {R"(\\?\C:\x\)", LR"(\\?\C:\x)"},
      {R"(\\.\C:)", L""},
      {"rel\\x.", LR"(\\?\)" + (here.back() == L'\\' ? here : here + L"\\") + L"rel\\x."},
      {R"(\top)", LR"(\\?\)" + drive + LR"(\top)"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(literalPath(in), out) << in;
  Win32FileSystem fs;
  EXPECT_EQ(fs.fullPath("\\WeChat Files\\"), narrow(drive) + "\\WeChat Files\\");
  EXPECT_EQ(fs.fullPath("E:\\\\WeChat Files\\"), "E:\\WeChat Files\\");
  EXPECT_EQ(fs.fullPath("D:\\data. \\"), "D:\\data. \\");
}

TEST(Win32FileSystem, ListsAndTellsFoldersByWindowsPathRulesAtAnyLength) {
  using platform::kAttrDirectory, platform::kAttrHidden, platform::kAttrSystem;
  wine_test::TempFolder tmp;
  const std::string root = tmp.path();
  std::string deep = "\\long";
  while (widen(root + deep).size() <= MAX_PATH + 20) deep += "\\很长的文件夹名字-abcdefghijklmn";
  const std::string paths[] = {"\\plain.txt", "\\隐藏.dat", "\\系统 folder\\", "\\2023-01.\\",
                               deep + "\\深处.txt"};
  for (const std::string& path : paths) ASSERT_TRUE(wine_test::make(root + path)) << path;
  SetFileAttributesW(wine_test::rawPath(root + "\\隐藏.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(wine_test::rawPath(root + "\\系统 folder").c_str(), FILE_ATTRIBUTE_SYSTEM);
  // -1: nothing. "file\" names nothing; the month pass must not take "2023-01." for "2023-01".
  const std::pair<std::string, int> cases[] = {{"\\plain.txt", 0},
                                               {"\\plain.txt\\", -1},
                                               {"\\隐藏.dat", kAttrHidden},
                                               {"\\系统 folder", kAttrDirectory | kAttrSystem},
                                               {"\\2023-01.", kAttrDirectory},
                                               {"\\2023-01", -1},
                                               {"\\\\long\\", kAttrDirectory},
                                               {deep + "\\深处.txt", 0},
                                               {deep + "\\深处.txt\\", -1}};
  Win32FileSystem fs;
  for (const auto& [path, want] : cases) {
    const auto attrs = fs.attributes(root + path);
    EXPECT_EQ(attrs ? int(*attrs & (kAttrDirectory | kAttrHidden | kAttrSystem)) : -1, want)
        << path;
  }
  EXPECT_FALSE(fs.attributes(""));
  // The listing tells every entry as attributes() does, at any depth; a file lists nothing.
  const auto listed = fs.list(root + "\\");
  EXPECT_EQ(listed.size(), 5u);
  for (const auto& e : listed)
    EXPECT_EQ(e.attributes, fs.attributes(root + "\\" + e.name)) << e.name;
  EXPECT_TRUE(fs.list(root + "\\plain.txt").empty());
  EXPECT_EQ(fs.list(root + deep).size(), 1u);
}

// WeChat 4.x names a moved data folder in a GBK file in %APPDATA%; a running WeChat makes us ask.
TEST(Win32Environment, ReadsSmallFilesExpandsDecodesAndFindsProcesses) {
  Win32Environment env;
  wine_test::TempFolder tmp;
  const std::string gbk = "D:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD", ini = tmp.path() + "\\配置.ini";
  ASSERT_TRUE(wine_test::make(ini, 0, gbk));
  EXPECT_EQ(env.readSmallFile(ini, 11), gbk);
  EXPECT_EQ(env.readSmallFile(ini, 10), std::nullopt) << "larger than allowed";
  EXPECT_EQ(env.readSmallFile(tmp.path(), 100), std::nullopt);
  EXPECT_EQ(env.decode(gbk, platform::kCodePageGbk), "D:\\微信数据");
  EXPECT_EQ(env.decode(gbk, platform::kCodePageUtf8), std::nullopt);
  EXPECT_EQ(env.decode("\xCE", platform::kCodePageGbk), std::nullopt);  // half a character
  // "图片" in GBK is valid UTF-8 as well, on the real port too: discovery has to choose.
  EXPECT_EQ(env.decode("\xCD\xBC\xC6\xAC", platform::kCodePageUtf8), "ͼƬ");
  wchar_t roaming[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, roaming);
  EXPECT_EQ(env.expandEnvironment("%APPDATA%\\x"), narrow(roaming) + "\\x");
  EXPECT_EQ(env.expandEnvironment("%NO_SUCH_NAME%"), "%NO_SUCH_NAME%");
  // This very program, spelled as another program might be; no WeChat runs in the test prefix.
  EXPECT_TRUE(env.processRunning({"WeChat.exe", "VELMORA_WINE_TESTS.exe"}));
  EXPECT_FALSE(env.processRunning({"WeChat.exe", "Weixin.exe"}));
}

TEST(Win32Shell, StartProcessStartsAQuotedPathAndReportsAMissingProgram) {
  wchar_t self[MAX_PATH] = {};
  const std::string exe = narrow(std::wstring(self, GetModuleFileNameW(0, self, MAX_PATH)));
  EXPECT_TRUE(Win32Shell().startProcess("\"" + exe + "\" --gtest_filter=None",
                                        platform::ShowStyle::Normal));
  EXPECT_FALSE(Win32Shell().startProcess("\"C:\\no such\\x.exe\"", platform::ShowStyle::Normal));
}
