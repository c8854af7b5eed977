// Closing the main window of the real Velmora.exe while a big removal runs ends the process at
// once, so the next start is not taken for a second instance; a true second instance ends at once
// without a window.
#include <gtest/gtest.h>

#include "e2e_support.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::textOf;
using e2e::waitFor;
using ports_test::exists;

TEST(E2EShutdown, ClosingDuringARemovalEndsTheProcessSoOnlyTheNextStartShowsAWindow) {
  ports_test::TempFolder docs;
  const std::string account = docs.path() + "\\WeChat Files\\wxid_big";
  const std::string cache = account + "\\FileStorage\\Cache";
  ASSERT_TRUE(e2e::makeTree(account, {"Msg\\MicroMsg.db", "FileStorage\\Cache\\marker"}));
  // 200,000 files take Wine far longer to remove than the wait below; Linux makes them quickly.
  if (ports_test::unixPath(cache).empty()) GTEST_SKIP() << "the tree is made on the Linux side";
  ASSERT_TRUE(ports_test::runUnixScript(
      cache,
      "seq 1000 | xargs mkdir && for d in $(seq 1000); do for f in $(seq 200); do"
      " echo $d/$f; done; done | xargs touch"));
  e2e::DocumentsFolder redirect(docs.path());
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
