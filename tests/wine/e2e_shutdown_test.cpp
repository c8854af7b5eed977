// Closing the main window of the real Velmora.exe while a big removal runs ends the process at
// once, so the next start is not taken for a second instance; a true second instance ends at once
// without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "e2e_support.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::textOf;
using e2e::waitFor;
using ports_test::exists;

TEST(E2EShutdown, ClosingDuringARemovalEndsTheProcessSoOnlyTheNextStartShowsAWindow) {
  // The big account of the CTest fixture (tests/wine/make_big_account.sh): its cache row's 40,000
  // files take Wine seconds to remove, far longer than the wait below.
  const char* tree = std::getenv("VELMORA_BIG_ACCOUNT");
  if (!tree) GTEST_SKIP() << "VELMORA_BIG_ACCOUNT names no folder (the CTest fixture sets it)";
  std::string documents = std::string("Z:") + tree;  // Wine's drive Z: is the Unix root
  std::replace(documents.begin(), documents.end(), '/', '\\');
  const std::string cache = documents + "\\WeChat Files\\wxid_big\\FileStorage\\Cache";
  ASSERT_TRUE(exists(cache + "\\marker"));
  e2e::DocumentsFolder redirect(documents);
  {
    App app;
    HWND main = app.mainWindow();
    ASSERT_NE(main, nullptr);
    HWND lastSize = app.control("lj8");
    ASSERT_TRUE(waitFor([&] { return !textOf(lastSize).empty(); }, 60s));
    e2e::click(app.control("C1"));
    HWND box = app.waitForMessageBox();
    ASSERT_NE(box, nullptr);
    App::answer(box, IDOK);
    // The files right in the folder go first: then the removal is well under way.
    ASSERT_TRUE(waitFor([&] { return !exists(cache + "\\marker"); }, 30s));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.waitForExit(10s)) << "the process lives on until its removal ends";
  }
  EXPECT_TRUE(exists(cache)) << "the removal ended before the window closed";
  App again;
  ASSERT_NE(again.mainWindow(), nullptr);
  App second;
  bool showedWindow = false;
  EXPECT_TRUE(waitFor([&] {
    showedWindow = showedWindow || second.hasVisibleWindow();
    return second.waitForExit(0ms);
  }));
  EXPECT_FALSE(showedWindow);
  EXPECT_EQ(second.exitCode(), 0u);
  EXPECT_NE(again.mainWindow(0ms), nullptr);
}

}  // namespace
