// UTF-8/UTF-16 conversion and the long-path form.
#include <gtest/gtest.h>

#include <string>

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
