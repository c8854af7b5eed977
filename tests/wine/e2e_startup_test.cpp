// The real Velmora.exe from the outside: what a user sees right after starting it, its folder
// picker, and a second copy started beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::textOf;
using e2e::waitFor;
using Names = std::vector<std::string>;

TEST(E2EStartup, ListsTheAccountsThenFollowsTheFolderPicker) {
  ports_test::TempFolder docs;
  ASSERT_TRUE(e2e::makeTree(docs.path(),
                            {"WeChat Files\\wxid_alpha\\Msg\\MicroMsg.db",
                             "WeChat Files\\beta_account\\Msg\\", "WeChat Files\\desktop.ini"}));
  const std::string elsewhere = docs.path() + "\\其他 位置";
  ASSERT_TRUE(e2e::makeTree(elsewhere,
                            {"WeChat Files\\wxid_moved\\Msg\\", "WeChat Files\\Another\\Msg\\"}));
  e2e::DocumentsFolder redirect(docs.path());
  App app;
  ASSERT_TRUE(app.started());
  ASSERT_NE(app.mainWindow(), nullptr) << "is another Velmora.exe running in this prefix?";
  HWND combo = app.control("Combo1");
  HWND path = app.control("Text1");
  HWND tip = app.control("Labeltip");
  // Shown from discovery until the first account's measurement starts half a second later.
  EXPECT_TRUE(
      waitFor([&] { return textOf(tip) == "发现微信文件夹，请选择对应账号进行处理"; }, 10s, 5ms))
      << textOf(tip);
  // Sorted by name; the file beside the accounts is left out.
  EXPECT_EQ(e2e::comboItems(combo), (Names{"beta_account", "wxid_alpha"}));
  EXPECT_EQ(textOf(combo), "beta_account");
  EXPECT_EQ(textOf(path), docs.path());
  EXPECT_TRUE(IsWindowVisible(app.control("Frame1")));

  e2e::click(app.control("CommandGetDirectory"));
  HWND picker = app.waitForMessageBox();
  ASSERT_NE(picker, nullptr);
  ASSERT_TRUE(e2e::selectInFolderPicker(picker, elsewhere));
  App::answer(picker, IDOK);
  EXPECT_TRUE(waitFor([&] { return textOf(path) == elsewhere; })) << textOf(path);
  EXPECT_TRUE(waitFor([&] { return e2e::comboItems(combo) == Names{"Another", "wxid_moved"}; }));
  ASSERT_TRUE(waitFor([&] { return !IsWindow(picker); }));

  e2e::click(app.control("CommandGetDirectory"));
  picker = app.waitForMessageBox();
  ASSERT_NE(picker, nullptr);
  App::answer(picker, IDCANCEL);
  EXPECT_TRUE(waitFor([&] { return textOf(path).empty(); })) << textOf(path);
}

TEST(E2EStartup, ASecondInstanceEndsAtOnceWithoutAWindow) {
  ports_test::TempFolder docs;
  e2e::DocumentsFolder redirect(docs.path());
  App first;
  ASSERT_NE(first.mainWindow(), nullptr);

  App second;
  ASSERT_TRUE(second.started());
  bool showedWindow = false;
  EXPECT_TRUE(waitFor([&] {
    showedWindow = showedWindow || second.hasVisibleWindow();
    return second.waitForExit(0ms);
  }));
  EXPECT_FALSE(showedWindow);
  EXPECT_EQ(second.exitCode(), 0u);
  EXPECT_NE(first.mainWindow(0ms), nullptr);
}

}  // namespace
