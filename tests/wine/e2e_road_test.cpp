// The road most users take, on the real Velmora.exe: the first account is measured, the video
// months beyond the newest six go after a real confirmation, and a whole category goes with its
// notice only once it is really gone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::textOf;
using e2e::waitFor;

bool exists(const std::string& path) {
  return GetFileAttributesW(platform::win32::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The message box of the process whose text is `text`, waiting up to `timeout`.
HWND waitForBoxSaying(const App& app, const std::string& text, std::chrono::milliseconds timeout) {
  HWND found = nullptr;
  waitFor(
      [&] {
        HWND box = app.waitForMessageBox(0ms);
        if (box && App::messageText(box) == text) found = box;
        return found != nullptr;
      },
      timeout, 10ms);
  return found;
}

TEST(E2ETypicalRoad, KeepsTheNewestSixVideoMonthsAndEmptiesTheCache) {
  ports_test::TempFolder docs;
  const std::string account = docs.path() + "\\WeChat Files\\wxid_road";
  std::vector<std::string> months;
  for (const char* year : {"2022", "2023"})
    for (int m = 1; m <= 12 && months.size() < 14; ++m)
      months.push_back(std::string(year) + (m < 10 ? "-0" : "-") + std::to_string(m));
  std::vector<std::string> tree{"Msg\\MicroMsg.db"};
  for (const std::string& m : months) tree.push_back("FileStorage\\Video\\" + m + "\\v.mp4");
  // Enough files that removing the cache takes a noticeable while.
  for (int d = 0; d < 40; ++d)
    for (int f = 0; f < 25; ++f)
      tree.push_back("FileStorage\\Cache\\" + std::to_string(d) + "\\" + std::to_string(f));
  ASSERT_TRUE(e2e::makeTree(account, tree, 100));
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
  ASSERT_TRUE(waitFor([&] { return !textOf(app.control("lj8")).empty(); }, 30s));
  EXPECT_EQ(textOf(app.control("Lab7")), "14个");

  e2e::setChecked(app.control("Check1"), true);
  e2e::setText(app.control("Textsj"), "6");
  e2e::click(app.control("C7"));
  HWND box = app.waitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(textOf(box), "想确认下");
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
  box = waitForBoxSaying(app, "确认删除 " + cache + " 下所有文件吗？确认后将直接删除", 10s);
  ASSERT_NE(box, nullptr);
  App::answer(box, IDOK);
  HWND done = waitForBoxSaying(app, "删除完成", 60s);
  ASSERT_NE(done, nullptr);
  EXPECT_FALSE(exists(cache)) << "the notice came before the folder was gone";
  EXPECT_EQ(textOf(done), "Velmora2023.02版");
  App::answer(done, IDOK);
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(busy); }));
  EXPECT_TRUE(exists(account + "\\Msg\\MicroMsg.db"));
  EXPECT_TRUE(exists(video + newest.front()));
}

}  // namespace
