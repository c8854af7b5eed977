// The real Velmora.exe from the outside: its message boxes, its second window and its layout
// change, each reached through the windows a user would click.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::textOf;
using e2e::waitFor;

// A Documents folder with one account, and Velmora started on it with the account measured.
class E2EWindows : public ::testing::Test {
 protected:
  void start(const std::vector<std::string>& account) {
    std::vector<std::string> entries;
    for (const std::string& e : account) entries.push_back("WeChat Files\\wxid_e2e\\" + e);
    ASSERT_TRUE(e2e::makeTree(docs.path(), entries));
    redirect = std::make_unique<e2e::DocumentsFolder>(docs.path());
    app = std::make_unique<App>();
    main = app->mainWindow();
    ASSERT_NE(main, nullptr) << "is another Velmora.exe running in this prefix?";
    ASSERT_TRUE(waitFor([&] { return textOf(app->control("Labellujin")).ends_with("wxid_e2e"); }));
  }
  bool shown(const char* name) { return IsWindowVisible(app->control(name)) != 0; }

  ports_test::TempFolder docs;
  std::unique_ptr<e2e::DocumentsFolder> redirect;
  std::unique_ptr<App> app;
  HWND main = nullptr;
};

TEST_F(E2EWindows, TheReceivedFilesDialogTakesThePlaceOfTheMainWindowUntilClosed) {
  start({"Msg\\", "FileStorage\\File\\2023-01\\a.docx"});
  ASSERT_TRUE(waitFor([&] { return shown("C8"); }));
  e2e::press(app->control("C8"));
  HWND dialog = app->waitForWindow("微信接收的文件");
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(waitFor([&] { return IsWindowEnabled(e2e::controlIn(dialog, "Command2")) != 0; }));
  // The off-screen button holds the focus, so Enter or Space at once presses nothing visible.
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui));
  EXPECT_EQ(gui.hwndFocus, e2e::controlIn(dialog, "Command3"));

  PostMessageW(dialog, WM_CLOSE, 0, 0);  // the title bar's close button
  EXPECT_TRUE(waitFor([&] { return IsWindowVisible(main) && !IsWindowVisible(dialog); }));
}

}  // namespace
