// UTF-8/UTF-16 conversion, the long-path form and the handle owner.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/handle.h"
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

namespace {

int closed = 0;
void countClose(int) {
  ++closed;
}
using counted = unique_any<int, &countClose, -1>;

}  // namespace

TEST(Handle, ClosesExactlyOnceAcrossMovesAndResets) {
  closed = 0;
  {
    counted a(5);
    counted b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), 5);
    counted c(7);
    c = std::move(b);  // closes 7
    EXPECT_EQ(closed, 1);
    const int raw = c.release();
    EXPECT_EQ(raw, 5);
    *c.put() = 9;
  }  // closes 9 only; 5 was released
  EXPECT_EQ(closed, 2);
  counted invalid(-1);
  invalid.reset();
  EXPECT_EQ(closed, 2);
}

TEST(ScopeExit, RunsUnlessReleased) {
  int runs = 0;
  {
    auto guard = scope_exit([&] { ++runs; });
  }
  {
    auto guard = scope_exit([&] { ++runs; });
    guard.release();
  }
  EXPECT_EQ(runs, 1);
}
