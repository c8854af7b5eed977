// UTF-8/UTF-16 conversion, the literal path form, and full paths by its rules.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/file_system.h"
#include "platform/win32/wide.h"

using namespace platform::win32;

TEST(Wide, RoundTripsChineseAndCharactersOutsideTheBmp) {
  const std::string text =
      "微信 WeChat Files \xF0\x9F\x98\x80 é";  // U+1F600 needs a surrogate pair
  const std::wstring wide = widen(text);
  EXPECT_EQ(wide, L"微信 WeChat Files \xD83D\xDE00 \x00E9");
  EXPECT_EQ(narrow(wide), text);
  EXPECT_EQ(widen(""), L"");
  EXPECT_EQ(narrow(L""), "");
  // Lengths are taken from the views, not from terminators.
  EXPECT_EQ(widen(std::string_view("ab\0c", 4)).size(), 4u);
}

TEST(Wide, LiteralPathKeepsEveryNameAsItIs) {
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  const std::wstring here = cwd, drive = here.substr(0, 2);
  const std::pair<const char*, std::wstring> cases[] = {
      {R"(C:\a\b)", LR"(\\?\C:\a\b)"},
      {R"(C:/a//b/)", LR"(\\?\C:\a\b)"},
      {R"(E:\\WeChat Files\)", LR"(\\?\E:\WeChat Files)"},  // a drive root from the picker
      {R"(C:\m\2023-01. )", LR"(\\?\C:\m\2023-01. )"},
      {R"(C:\a\..\b\.\CON)", LR"(\\?\C:\b\CON)"},
      {R"(C:\)", LR"(\\?\C:\)"},
      {R"(C:\..)", LR"(\\?\C:\)"},
      {R"(\\srv\share\x)", LR"(\\?\UNC\srv\share\x)"},
      {R"(\\srv\share\..\..\x)", LR"(\\?\UNC\srv\share\x)"},
      {R"(\\?\C:\x\)", LR"(\\?\C:\x)"},
      {R"(\\?\UNC\srv\share\x)", LR"(\\?\UNC\srv\share\x)"},
      {R"(\\.\C:)", L""},
      {R"(\\srv)", L""},
      {"rel\\x.", LR"(\\?\)" + (here.back() == L'\\' ? here : here + L"\\") + L"rel\\x."},
      {R"(\top)", LR"(\\?\)" + drive + LR"(\top)"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(literalPath(in), out) << in;
}

TEST(Win32FileSystem, FullPathFillsTheCurrentDriveAndCollapsesSeparators) {
  Win32FileSystem fs;
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  const std::string drive = narrow(std::wstring(cwd, 2));
  EXPECT_EQ(fs.fullPath("\\WeChat Files\\"), drive + "\\WeChat Files\\");
  EXPECT_EQ(fs.fullPath("E:\\\\WeChat Files\\"), "E:\\WeChat Files\\");
  EXPECT_EQ(fs.fullPath("D:\\Docs\\WeChat Files\\"), "D:\\Docs\\WeChat Files\\");
  EXPECT_EQ(fs.fullPath("D:\\data. \\"), "D:\\data. \\") << "names are kept as they are";
}
