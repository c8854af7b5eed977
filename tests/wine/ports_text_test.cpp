// UTF-8/UTF-16 conversion, the long-path form, and full paths as Windows resolves them.
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

TEST(Wide, LongPathAddsThePrefixOnlyWhenNeeded) {
  const std::wstring deep(300, L'd');
  const std::wstring longName(kLongPathThreshold, L'x');
  struct Case {
    std::wstring in;
    std::wstring out;
  };
  const Case cases[] = {
      {L"C:\\short\\path\\", L"C:\\short\\path\\"},
      {L"C:\\" + deep, L"\\\\?\\C:\\" + deep},
      // Normalised as Win32 would for a short path, trailing separator kept.
      {L"C:\\a\\..\\" + deep + L"/b\\.\\c\\", L"\\\\?\\C:\\" + deep + L"\\b\\c\\"},
      {L"\\\\server\\share\\" + deep, L"\\\\?\\UNC\\server\\share\\" + deep},
      {L"\\\\?\\C:\\" + deep, L"\\\\?\\C:\\" + deep},
      {L"C:\\" + longName.substr(4), L"C:\\" + longName.substr(4)},  // just below the threshold
      {L"C:\\" + longName.substr(3), L"\\\\?\\C:\\" + longName.substr(3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(longPath(c.in), c.out) << narrow(c.in);
  }
}

TEST(Win32FileSystem, FullPathFillsTheCurrentDriveAndCollapsesSeparators) {
  Win32FileSystem fs;
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  const std::string drive = narrow(std::wstring(cwd, 2));
  EXPECT_EQ(fs.fullPath("\\WeChat Files\\"), drive + "\\WeChat Files\\");
  EXPECT_EQ(fs.fullPath("E:\\\\WeChat Files\\"), "E:\\WeChat Files\\");
  EXPECT_EQ(fs.fullPath("D:\\Docs\\WeChat Files\\"), "D:\\Docs\\WeChat Files\\");
}
