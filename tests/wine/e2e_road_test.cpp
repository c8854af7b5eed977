// The road most users take, on the real Velmora.exe: the figures add up to the files made (in the
// user's locale); the newest six video months stay after a real confirmation, the cache is gone
// before its notice; closing with a question open deletes nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "support.h"

using namespace wine_test;

// `text` with its decimal point written as the user's regional settings write it.
static std::string localised(std::string text) {
  wchar_t sep[8] = {};
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8);
  if (const auto dot = text.find('.'); n > 1 && dot != std::string::npos)
    text.replace(dot, 1, platform::win32::narrow(std::wstring(sep, n - 1)));
  return text;
}

TEST(E2ETypicalRoad, FiguresAddUpThenTheNewestSixVideoMonthsStayAndTheCacheGoes) {
  // Below FileStorage, as WeChat spells the folders; a file past 4 GiB, and one in no row.
  std::vector<std::pair<std::string, std::uint64_t>> files = {
      {"CustomEmotion\\0A\\e1", 999},
      {"General\\HDHeadImage\\h.jpg", 4567890123},
      {"MsgAttach\\m.dat", 2000}};
  // The rows in grid order; the account holds 4 592 994 522 bytes.
  const char* sizes[] = {"100.00 K", "999", "0 K", "4.57 G", "0 K", "0 K", "1.40 K", "0 K"};
  const int folders[] = {40, 1, 0, 1, 0, 0, 14, 0};
  // Enough cache files that removing them takes a while.
  for (int i = 0; i < 1000; ++i)
    files.push_back({"Cache\\" + std::to_string(i / 25) + "\\" + std::to_string(i), 100});
  std::vector<std::string> months;  // 2022-01 … 2023-02
  for (int i = 0; i < 14; ++i) {
    months.push_back(std::to_string(2022 + i / 12) + (i % 12 < 9 ? "-0" : "-") +
                     std::to_string(1 + i % 12));
    files.push_back({"Video\\" + months.back() + "\\v.mp4", 100});
  }
  TempFolder docs;
  const std::string account = docs.path() + "\\WeChat Files\\wxid_road";
  const std::string storage = account + "\\FileStorage\\";
  ASSERT_TRUE(make(account + "\\Msg\\MicroMsg.db", 25000000) &&
              make(docs.path() + "\\WeChat Files\\zz_other\\Msg\\"));
  for (const auto& [path, size] : files) ASSERT_TRUE(make(storage + path, size));

  App app(docs.path());
  ASSERT_NE(app.mainWindow(), nullptr);
  HWND combo = app.control("Combo1"), busy = app.control("Frame2");
  HWND lastSize = app.control("lj8"), tip = app.control("Labeltip");
  EXPECT_TRUE(waitFor([&] { return SendMessageW(combo, CB_GETCOUNT, 0, 0) == 2; }));
  EXPECT_EQ(textOf(combo), "wxid_road");
  // The tip is read with the last row's figure, which the same event writes: a timer empties it.
  std::string said;
  ASSERT_TRUE(
      waitFor([&] { return !textOf(lastSize).empty() && (said = textOf(tip), true); }, 30s, 10ms));
  EXPECT_EQ(said, "计算结束");
  EXPECT_EQ(textOf(app.control("labelsize")), localised("4.59 G"));
  for (int k = 0; k < 8; ++k) {
    const std::string n = std::to_string(k + 1);
    EXPECT_EQ(textOf(app.control("lj" + n)), "×" + localised(sizes[k])) << n;
    EXPECT_EQ(textOf(app.control("Lab" + n)), std::to_string(folders[k]) + "个") << n;
  }
  auto question = [&](const char* folder) {
    return "确认删除 " + storage + folder + "\\ 下所有文件吗？确认后将直接删除";
  };

  click(app.control("C7"));
  HWND box = app.messageBox(question("video"));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(IsWindowVisible(busy)) << "the busy notice shows while the question is open";
  click(box, IDOK);
  // One month folder a second, the oldest eight only.
  auto gone = [&](std::size_t i) { return !exists(storage + "Video\\" + months[i]); };
  EXPECT_TRUE(waitFor([&] { return gone(7) && !IsWindowVisible(busy); }, 60s));
  for (std::size_t i = 0; i < months.size(); ++i) EXPECT_EQ(gone(i), i < 8) << months[i];

  click(app.control("C1"));
  ASSERT_NE(box = app.messageBox(question("Cache")), nullptr);
  click(box, IDOK);
  ASSERT_NE(box = app.messageBox("删除完成", 60s), nullptr);
  EXPECT_FALSE(exists(storage + "Cache")) << "the notice came before the folder was gone";
  click(box, IDOK);
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(busy); }));
  EXPECT_TRUE(exists(account + "\\Msg\\MicroMsg.db"));

  // Under Wine the quit that ends a message box's loop makes the box answer OK: it must cancel.
  click(app.control("C2"));
  ASSERT_NE(app.messageBox(question("CustomEmotion")), nullptr);
  PostMessageW(app.mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.waitForExit(20s));
  EXPECT_TRUE(exists(storage + "CustomEmotion\\0A\\e1"));
}
