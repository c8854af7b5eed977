// The road most users take, on the real Velmora.exe: the first account is measured and every
// figure on screen is one the test can add up from the files it created; the video months beyond
// the newest six go after a real confirmation; a whole category goes with its notice only once it
// is really gone; closing the window while a question is open deletes nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "e2e_support.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::textOf;
using e2e::waitFor;
using ports_test::exists;

// `text` with its decimal point written as the user's regional settings write it.
std::string localised(std::string text) {
  wchar_t sep[8] = {};
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8);
  const auto dot = text.find('.');
  if (n > 1 && dot != std::string::npos)
    text.replace(dot, 1,
                 platform::win32::narrow(std::wstring(sep, static_cast<std::size_t>(n - 1))));
  return text;
}

struct Row {
  const char* folder;  // below the account's FileStorage; empty: the category is missing
  std::vector<std::pair<std::string, std::uint64_t>> files;  // path inside it, size
  const char* size;                                          // what the row must show
  int monthFolders;
};

TEST(E2ETypicalRoad, FiguresAddUpThenTheNewestSixVideoMonthsStayAndTheCacheGoes) {
  // Eight rows in grid order; the names are spelled as WeChat spells them, which is not always
  // the spelling the program uses.
  Row rows[] = {
      {"Cache", {}, "100.00 K", 40},  // filled below
      {"CustomEmotion", {{"0A\\e1", 999}}, "999", 1},
      {"", {}, "0 K", 0},                                                 // no Fav folder at all
      {"General", {{"HDHeadImage\\h.jpg", 4567890123ULL}}, "4.57 G", 1},  // passes 2^32 bytes
      {"Sns\\Cache",
       {{"2023-01\\s", 400000}, {"2023-02\\s", 400000}, {"2023-03\\s", 400000}},
       "1.20 M",
       3},
      // The thumbnails count in the size but are not a month folder.
      {"Image",
       {{"2022-12\\i.dat", 1000000}, {"2023-01\\i.dat", 1000000}, {"Thumb\\2023-01\\t", 6000}},
       "2.01 M",
       2},
      {"Video", {}, "1.40 K", 14},  // filled below
      {"File", {{"2023-01\\doc.pdf", 12340}}, "12.34 K", 1},
  };
  // Enough cache files that removing them takes a noticeable while.
  for (int d = 0; d < 40; ++d)
    for (int f = 0; f < 25; ++f)
      rows[0].files.push_back({std::to_string(d) + "\\" + std::to_string(f), 100});
  std::vector<std::string> months;  // 2022-01 … 2023-02
  for (int i = 0; i < 14; ++i)
    months.push_back(std::to_string(2022 + i / 12) + (i % 12 < 9 ? "-0" : "-") +
                     std::to_string(1 + i % 12));
  for (const std::string& m : months) rows[6].files.push_back({m + "\\v.mp4", 100});

  ports_test::TempFolder docs;
  const std::string account = docs.path() + "\\WeChat Files\\wxid_road";
  // With these two the account holds 4 596 212 862 bytes.
  ASSERT_TRUE(e2e::makeTree(account, {"Msg\\MicroMsg.db"}, 25000000));
  ASSERT_TRUE(e2e::makeTree(account, {"FileStorage\\MsgAttach\\m.dat"}, 2000));  // no row
  for (const Row& r : rows)
    for (const auto& [path, size] : r.files)
      ASSERT_TRUE(e2e::makeTree(account, {std::string("FileStorage\\") + r.folder + "\\" + path},
                                static_cast<std::size_t>(size)));
  ASSERT_TRUE(e2e::makeTree(docs.path(), {"WeChat Files\\zz_other\\Msg\\"}));

  e2e::DocumentsFolder redirect(docs.path());
  App app;
  ASSERT_NE(app.mainWindow(), nullptr);
  HWND combo = app.control("Combo1");
  HWND busy = app.control("Frame2");
  ASSERT_TRUE(waitFor([&] {
    return e2e::comboItems(combo) == std::vector<std::string>{"wxid_road", "zz_other"};
  }));
  EXPECT_EQ(textOf(combo), "wxid_road");
  // The last row and the closing tip are written by one event, and this process's reads wait
  // until that event is over; the tip is read at once because a timer empties it now and then.
  HWND lastSize = app.control("lj8");
  std::string said;
  ASSERT_TRUE(waitFor(
      [&] {
        if (textOf(lastSize).empty()) return false;
        said = textOf(app.control("Labeltip"));
        return true;
      },
      30s, 10ms));
  EXPECT_EQ(said, "计算结束");
  EXPECT_EQ(textOf(app.control("labelsize")), localised("4.60 G"));
  for (std::size_t k = 0; k < std::size(rows); ++k) {
    const std::string n = std::to_string(k + 1);
    EXPECT_EQ(textOf(app.control("lj" + n)), "×" + localised(rows[k].size)) << "row " << n;
    EXPECT_EQ(textOf(app.control("Lab" + n)), std::to_string(rows[k].monthFolders) + "个")
        << "row " << n;
  }

  e2e::click(app.control("C7"));
  HWND box = app.waitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(App::messageText(box),
            "确认删除 " + account + "\\FileStorage\\video\\ 下所有文件吗？确认后将直接删除");
  EXPECT_TRUE(IsWindowVisible(busy)) << "the busy notice shows while the question is open";
  App::answer(box, IDOK);

  // One month folder per second, oldest eight only.
  const std::vector<std::string> oldest(months.begin(), months.begin() + 8);
  const std::vector<std::string> newest(months.begin() + 8, months.end());
  const std::string video = account + "\\FileStorage\\Video\\";
  EXPECT_TRUE(waitFor(
      [&] {
        for (const std::string& m : oldest)
          if (exists(video + m)) return false;
        return !IsWindowVisible(busy);
      },
      60s));
  for (const std::string& m : newest) EXPECT_TRUE(exists(video + m)) << m;
  for (const std::string& m : oldest) EXPECT_FALSE(exists(video + m)) << m;

  const std::string cache = account + "\\FileStorage\\Cache\\";
  e2e::click(app.control("C1"));
  box = app.waitForMessageBox(10s, "确认删除 " + cache + " 下所有文件吗？确认后将直接删除");
  ASSERT_NE(box, nullptr);
  App::answer(box, IDOK);
  HWND done = app.waitForMessageBox(60s, "删除完成");
  ASSERT_NE(done, nullptr);
  EXPECT_FALSE(exists(cache)) << "the notice came before the folder was gone";
  App::answer(done, IDOK);
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(busy); }));
  EXPECT_TRUE(exists(account + "\\Msg\\MicroMsg.db"));

  // Under Wine the quit that ends a message box's loop makes the box answer OK: it must cancel.
  const std::string emotion = account + "\\FileStorage\\CustomEmotion\\";
  e2e::click(app.control("C2"));
  ASSERT_NE(app.waitForMessageBox(10s, "确认删除 " + emotion + " 下所有文件吗？确认后将直接删除"),
            nullptr);
  PostMessageW(app.mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.waitForExit(20s));
  EXPECT_TRUE(exists(emotion + "0A\\e1"));
}

}  // namespace
