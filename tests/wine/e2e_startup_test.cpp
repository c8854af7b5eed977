// The real Velmora.exe from the outside: what a user sees right after starting it.
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

const char* const kFound = "发现微信文件夹，请选择对应账号进行处理";
const char* const kMeasuring = "正在计算空间占用情况，请稍等...";
const char* const kDone = "计算结束";

TEST(E2EStartup, ListsTheAccountFoldersOfTheDocumentsFolder) {
  ports_test::TempFolder docs;
  ASSERT_TRUE(e2e::makeTree(docs.path(), {
                                             "WeChat Files\\wxid_alpha\\Msg\\MicroMsg.db",
                                             "WeChat Files\\wxid_alpha\\FileStorage\\Cache\\a",
                                             "WeChat Files\\beta_account\\Msg\\",
                                             "WeChat Files\\desktop.ini",
                                         }));
  e2e::DocumentsFolder redirect(docs.path());
  App app;
  ASSERT_TRUE(app.started());
  ASSERT_NE(app.mainWindow(), nullptr) << "is another Velmora.exe running in this prefix?";

  HWND combo = app.control("Combo1");
  HWND tip = app.control("Labeltip");
  ASSERT_NE(combo, nullptr);
  ASSERT_NE(tip, nullptr);
  // The listing is sorted (as NTFS returns names); the file beside the accounts is left out.
  const std::vector<std::string> accounts{"beta_account", "wxid_alpha"};
  EXPECT_TRUE(waitFor([&] { return e2e::comboItems(combo) == accounts; }));
  // After discovery comes the measurement of the first account; any of its messages will do.
  EXPECT_TRUE(waitFor([&] {
    const std::string t = textOf(tip);
    return t == kFound || t == kMeasuring || t == kDone;
  })) << textOf(tip);
  EXPECT_EQ(textOf(combo), "beta_account");
  EXPECT_EQ(textOf(app.control("Text1")), docs.path());
  EXPECT_TRUE(IsWindowVisible(app.control("Frame1")));
}

TEST(E2EStartup, SaysSoWhenTheDocumentsFolderHasNoWeChatData) {
  ports_test::TempFolder docs;
  e2e::DocumentsFolder redirect(docs.path());
  App app;
  ASSERT_NE(app.mainWindow(), nullptr);
  HWND tip = app.control("Labeltip");
  EXPECT_TRUE(waitFor([&] { return textOf(tip) == "未找到微信文件夹，请核实"; })) << textOf(tip);
  EXPECT_FALSE(IsWindowVisible(app.control("Frame1")));
  EXPECT_FALSE(IsWindowVisible(app.control("Frame3")));
}

TEST(E2EStartup, ASecondInstanceEndsAtOnceWithoutAWindow) {
  ports_test::TempFolder docs;
  e2e::DocumentsFolder redirect(docs.path());
  App first;
  ASSERT_NE(first.mainWindow(), nullptr);

  App second;
  ASSERT_TRUE(second.started());
  bool showedWindow = false;
  const bool ended = waitFor([&] {
    showedWindow = showedWindow || second.anyWindow() != nullptr;
    return second.waitForExit(0ms);
  });
  EXPECT_TRUE(ended);
  EXPECT_FALSE(showedWindow);
  EXPECT_EQ(second.exitCode(), 0u);
  EXPECT_TRUE(first.waitForWindow("Velmora::Harrowfen", 0ms) != nullptr);
}

}  // namespace
