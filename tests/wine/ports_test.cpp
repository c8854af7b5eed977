// The small Win32 ports against the real (Wine) system: paths, files, the environment and
// processes (the registry is read by every end-to-end test). Set-up never goes through the code
// under test.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "platform/win32/environment.h"
#include "platform/win32/file_system.h"
#include "platform/win32/shell.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

using namespace platform::win32;

// Every name is kept as it is: Win32 would drop a trailing dot or space and reach a sibling.
TEST(Win32Paths, LiteralAndFullPathsKeepEveryName) {
  EXPECT_EQ(narrow(widen("微信 \xF0\x9F\x98\x80 é")),
            "微信 \xF0\x9F\x98\x80 é");  // a surrogate pair
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  const std::wstring here = cwd, drive = here.substr(0, 2);
  const std::pair<const char*, std::wstring> cases[] = {
      {R"(C:/a//b/)", LR"(\\?\C:\a\b)"},
      {R"(E:\\WeChat Files\)", LR"(\\?\E:\WeChat Files)"},  // a drive root from the picker
      {R"(C:\m\2023-01. )", LR"(\\?\C:\m\2023-01. )"},
      {R"(C:\a\..\b\.\CON)", LR"(\\?\C:\b\CON)"},
      {R"(C:\..)", LR"(\\?\C:\)"},
      {R"(\\srv\share\..\..\x)", LR"(\\?\UNC\srv\share\x)"},
      {R"(\\?\C:\x\)", LR"(\\?\C:\x)"},
      {R"(\\?\UNC\srv\share\x)", LR"(\\?\UNC\srv\share\x)"},
      {R"(\\.\C:)", L""},
      {R"(\\srv)", L""},
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
  ports_test::TempFolder tmp;
  const std::string root = tmp.path();
  ASSERT_TRUE(ports_test::writeFile(root + "\\plain.txt", "hello"));
  ASSERT_TRUE(ports_test::writeFile(root + "\\隐藏.dat", "x"));
  for (const char* folder : {"\\系统 folder", "\\2023-01.", "\\long"})
    ASSERT_TRUE(ports_test::makeFolder(root + folder));
  SetFileAttributesW(ports_test::rawPath(root + "\\隐藏.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(ports_test::rawPath(root + "\\系统 folder").c_str(),
                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
  std::string deep = root + "\\long";
  while (widen(deep).size() <= MAX_PATH + 20) {
    deep += "\\很长的文件夹名字-abcdefghijklmnopqrstuvwxyz";
    ASSERT_TRUE(ports_test::makeFolder(deep));
  }
  ASSERT_TRUE(ports_test::writeFile(deep + "\\深处.txt", "deep"));
  Win32FileSystem fs;
  const std::map<std::string, std::uint32_t> expected{
      {"plain.txt", 0},
      {"隐藏.dat", kAttrHidden},
      {"long", kAttrDirectory},
      {"2023-01.", kAttrDirectory},
      {"系统 folder", kAttrDirectory | kAttrSystem}};
  std::map<std::string, std::uint32_t> listed;
  for (const auto& e : fs.list(root + "\\"))
    listed[e.name] = e.attributes & (kAttrDirectory | kAttrHidden | kAttrSystem);
  EXPECT_EQ(listed, expected);
  EXPECT_TRUE(fs.list(root + "\\plain.txt").empty());
  ASSERT_EQ(fs.list(deep).size(), 1u);
  // The month pass must see a month folder whose name ends in a dot, and only it.
  const std::pair<std::string, std::optional<bool>> cases[] = {
      {root + "\\2023-01.", true},
      {root + "\\2023-01", std::nullopt},
      {root + "\\\\long\\", true},
      {root + "\\plain.txt", false},
      {root + "\\plain.txt\\", std::nullopt},
      {"", std::nullopt},
      {deep + "\\深处.txt", false},
      {deep + "\\深处.txt\\", std::nullopt},
  };
  for (const auto& [path, directory] : cases) {
    const auto attrs = fs.attributes(path);
    EXPECT_EQ(attrs ? std::optional<bool>((*attrs & kAttrDirectory) != 0) : std::nullopt, directory)
        << path;
  }
}

TEST(Win32Environment, ReadsSmallFilesExpandsAndDecodes) {
  Win32Environment env;
  ports_test::TempFolder tmp;
  const std::string gbk("D:\\\xCE\xA2\xD0\xC5\xCA\xFD\xBE\xDD", 11),
      ini = tmp.path() + "\\配置.ini";
  ASSERT_TRUE(ports_test::writeFile(ini, gbk));
  EXPECT_EQ(env.readSmallFile(ini, 11), gbk);
  EXPECT_EQ(env.readSmallFile(ini, 10), std::nullopt) << "larger than allowed";
  EXPECT_EQ(env.readSmallFile(tmp.path(), 100), std::nullopt);
  EXPECT_EQ(env.decode(gbk, platform::kCodePageGbk), "D:\\微信数据");
  EXPECT_EQ(env.decode(gbk, platform::kCodePageUtf8), std::nullopt);
  EXPECT_EQ(env.decode("\xCE", platform::kCodePageGbk), std::nullopt);  // half a character
  // "图片" in GBK is valid UTF-8 as well, on the real port too: discovery has to choose.
  EXPECT_EQ(env.decode("\xCD\xBC\xC6\xAC", platform::kCodePageUtf8), "ͼƬ");
  EXPECT_EQ(env.expandEnvironment("%NO_SUCH_NAME%"), "%NO_SUCH_NAME%");
}

TEST(Win32Shell, StartProcessStartsAQuotedPathAndReportsAMissingProgram) {
  std::wstring self(32768, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  Win32Shell shell;
  EXPECT_TRUE(shell.startProcess("\"" + narrow(self) + "\" --gtest_filter=None.*",
                                 platform::ShowStyle::Normal));
  EXPECT_FALSE(
      shell.startProcess("\"C:\\no such folder\\nothing.exe\"", platform::ShowStyle::Normal));
}
