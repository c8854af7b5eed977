// The cleaning windows of the real Velmora.exe: the received-files dialog and the legacy cleaner,
// each taking the main window's place while it works; and a question left open when the main
// window is closed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "platform/win32/wide.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::controlIn;
using e2e::textOf;
using e2e::waitFor;

bool exists(const std::string& path) {
  return GetFileAttributesW(platform::win32::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(E2EReceivedFiles, ClearsTheFolderAndGivesTheMainWindowBack) {
  ports_test::TempFolder docs;
  const std::string account = docs.path() + "\\WeChat Files\\wxid_files";
  ASSERT_TRUE(e2e::makeTree(account, {"Msg\\MicroMsg.db", "FileStorage\\File\\2023-01\\a.docx",
                                      "FileStorage\\File\\2023-02\\b.pdf"}));
  e2e::DocumentsFolder redirect(docs.path());
  App app;
  HWND main = app.mainWindow();
  ASSERT_NE(main, nullptr);
  HWND c8 = app.control("C8");
  ASSERT_TRUE(waitFor([&] { return IsWindowVisible(c8) != 0; }));

  e2e::click(c8);
  HWND dialog = app.waitForWindow("微信接收的文件");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(main); }));
  // The off-screen button holds the focus, so Enter or Space at once presses nothing visible.
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui));
  EXPECT_EQ(gui.hwndFocus, controlIn(dialog, "Command3"));
  HWND clearAll = controlIn(dialog, "Command1");
  HWND byHand = controlIn(dialog, "Command2");
  HWND question = controlIn(dialog, "Label1");
  EXPECT_EQ(textOf(question), "微信接收/发送的所有文件 是否清理？");
  EXPECT_TRUE(IsWindowEnabled(clearAll));
  EXPECT_TRUE(IsWindowEnabled(byHand));

  e2e::click(clearAll);
  HWND box = app.waitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(textOf(box), "想确认下");
  EXPECT_EQ(App::messageText(box),
            "确认删除" + account + "\\FileStorage\\file\\所有文件吗？确认后将直接清空");
  App::answer(box, IDOK);
  EXPECT_TRUE(waitFor([&] { return IsWindowVisible(main) && !IsWindowVisible(dialog); }));
  EXPECT_TRUE(waitFor([&] { return !exists(account + "\\FileStorage\\File"); }, 30s));
  EXPECT_TRUE(exists(account + "\\Msg\\MicroMsg.db"));
}

// Ending a message box's loop with the program's quit makes it answer OK under Wine: closing the
// main window must cancel the question, not delete.
TEST(E2EClosing, AnOpenQuestionIsCancelledNotTakenAsConsent) {
  ports_test::TempFolder docs;
  const std::string cache = docs.path() + "\\WeChat Files\\wxid_close\\FileStorage\\Cache";
  ASSERT_TRUE(e2e::makeTree(docs.path() + "\\WeChat Files\\wxid_close", {"Msg\\"}));
  ASSERT_TRUE(e2e::makeTree(cache, {"a\\1.dat", "b\\2.dat"}));
  e2e::DocumentsFolder redirect(docs.path());
  App app;
  HWND main = app.mainWindow();
  ASSERT_NE(main, nullptr);
  HWND c1 = app.control("C1");
  ASSERT_TRUE(waitFor([&] { return IsWindowVisible(c1) != 0; }));
  e2e::click(c1);
  ASSERT_NE(app.waitForMessageBox(), nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.waitForExit(20s));
  EXPECT_TRUE(exists(cache + "\\a\\1.dat") && exists(cache + "\\b\\2.dat"));
}

TEST(E2ELegacyBanner, CleansTheOldFoldersBehindATopmostWindowAndComesBack) {
  ports_test::TempFolder docs;
  const std::string weChat = docs.path() + "\\WeChat Files\\";
  const std::string legacy = weChat + "b_legacy";
  // Only the old folders the banner needs and the pass must handle: 8 s of pauses for these.
  ASSERT_TRUE(e2e::makeTree(
      weChat, {"a_current\\Msg\\", "a_current\\FileStorage\\Cache\\c", "b_legacy\\Msg\\MicroMsg.db",
               "b_legacy\\Image\\1.jpg", "b_legacy\\Video\\1.mp4", "b_legacy\\Data\\1.dat"}));
  e2e::DocumentsFolder redirect(docs.path());
  App app;
  HWND main = app.mainWindow();
  ASSERT_NE(main, nullptr);
  HWND combo = app.control("Combo1");
  HWND path = app.control("Labellujin");
  HWND banner = app.control("Frame4");
  ASSERT_TRUE(waitFor([&] { return textOf(path) == weChat + "a_current"; }));
  EXPECT_FALSE(IsWindowVisible(banner));
  e2e::chooseComboItem(combo, 1);
  ASSERT_TRUE(waitFor([&] { return textOf(path) == legacy; }));
  EXPECT_TRUE(IsWindowVisible(banner));

  const auto start = std::chrono::steady_clock::now();
  e2e::click(controlIn(main, "Command2"));
  HWND progress = app.waitForWindow("Form2");
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(GetWindowLongPtrW(progress, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(main); }));
  // The pass holds the program's only thread, so only window states are read until it ends.
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(progress) && IsWindowVisible(main); }, 60s));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 8s) << "the pauses after each removal";
  for (const char* old : {"\\Image", "\\Video", "\\Data"})
    EXPECT_FALSE(exists(legacy + old)) << old;
  EXPECT_TRUE(exists(legacy + "\\Msg\\MicroMsg.db"));
  EXPECT_TRUE(IsWindowVisible(banner)) << "the banner stays until the account is chosen again";
}

}  // namespace
