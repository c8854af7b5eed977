// The real Velmora.exe's about message and its folder picker, answered the way a user answers
// them.
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

// A "WeChat Files" at the root of the drive the program runs from would be found from an empty
// path too.
bool weChatFilesAtDriveRoot() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring root = std::wstring(self).substr(0, 2) + L"\\WeChat Files";
  return GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(E2EHelpAndPicker, AboutTextAndTheFolderPickerAnsweredWithAFolderAndWithCancel) {
  ports_test::TempFolder docs;
  ASSERT_TRUE(e2e::makeTree(docs.path(), {"WeChat Files\\wxid_home\\Msg\\"}));
  const std::string elsewhere = docs.path() + "\\其他 位置";
  ASSERT_TRUE(e2e::makeTree(elsewhere,
                            {"WeChat Files\\wxid_moved\\Msg\\", "WeChat Files\\Another\\Msg\\"}));
  e2e::DocumentsFolder redirect(docs.path());
  App app;
  ASSERT_NE(app.mainWindow(), nullptr);
  HWND combo = app.control("Combo1");
  HWND path = app.control("Text1");
  ASSERT_TRUE(
      waitFor([&] { return e2e::comboItems(combo) == std::vector<std::string>{"wxid_home"}; }));

  e2e::click(app.control("Commandtip"));
  HWND about = app.waitForMessageBox();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(textOf(about), "Velmora2023.02版");
  EXPECT_EQ(App::messageText(about),
            "该工具用来检测微信文件夹，清理微信垃圾\r\n\r\n"
            "放心：程序不会清理文字聊天记录，不影响手机微信\r\n\r\n"
            "  作者：Harrowfen-Velmora\r\n\r\n"
            "    版本:2023.02");
  App::answer(about, IDOK);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(about); }));

  e2e::click(app.control("CommandGetDirectory"));
  HWND picker = app.waitForMessageBox();
  ASSERT_NE(picker, nullptr);
  ASSERT_TRUE(e2e::selectInFolderPicker(picker, elsewhere));
  App::answer(picker, IDOK);
  EXPECT_TRUE(waitFor([&] { return textOf(path) == elsewhere; })) << textOf(path);
  // Listed in name order, whatever case the names have.
  EXPECT_TRUE(waitFor([&] {
    return e2e::comboItems(combo) == std::vector<std::string>{"Another", "wxid_moved"};
  }));
  ASSERT_TRUE(waitFor([&] { return !IsWindow(picker); }));

  e2e::click(app.control("CommandGetDirectory"));
  picker = app.waitForMessageBox();
  ASSERT_NE(picker, nullptr);
  App::answer(picker, IDCANCEL);
  EXPECT_TRUE(waitFor([&] { return textOf(path).empty(); })) << textOf(path);
  if (weChatFilesAtDriveRoot()) GTEST_SKIP() << "a WeChat Files folder lies at the drive's root";
  // A timer empties the tip every few seconds, so it is read often.
  HWND tip = app.control("Labeltip");
  EXPECT_TRUE(waitFor([&] { return textOf(tip) == "未找到微信文件夹，请核实"; }, 10s, 5ms))
      << textOf(tip);
  EXPECT_FALSE(IsWindowVisible(app.control("Frame1")));
}

}  // namespace
