// Closing the main window of the real Velmora.exe while a big removal or walk runs ends the
// process at once, so the next start is not taken for a second instance; a true second instance
// ends at once without a window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "e2e_support.h"
#include "ports_test_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;
using e2e::textOf;
using e2e::waitFor;
using ports_test::exists;

// `files` empty files in folders of 200 below `folder`, made on the Linux side: Wine takes far
// longer to make them than the tests wait.
bool makeBigFolder(const std::string& folder, int files) {
  return ports_test::runUnixScript(
      folder, "seq " + std::to_string(files / 200) + " | xargs mkdir && for d in $(seq " +
                  std::to_string(files / 200) +
                  "); do for f in $(seq 200); do echo $d/$f; done; done | xargs touch");
}

TEST(E2EShutdown, ClosingDuringARemovalEndsTheProcessSoOnlyTheNextStartShowsAWindow) {
  ports_test::TempFolder docs;
  const std::string account = docs.path() + "\\WeChat Files\\wxid_big";
  const std::string cache = account + "\\FileStorage\\Cache";
  ASSERT_TRUE(e2e::makeTree(account, {"Msg\\MicroMsg.db", "FileStorage\\Cache\\marker"}));
  // 200,000 files take Wine far longer to remove than the wait below; Linux makes them quickly.
  if (ports_test::unixPath(cache).empty()) GTEST_SKIP() << "the tree is made on the Linux side";
  ASSERT_TRUE(makeBigFolder(cache, 200000));
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

// The sub-folders of `folder` listed since they last changed, and all of them: a listing updates a
// folder's access time once after its last change (relatime), and Wine shows it.
std::pair<int, int> listedFolders(const std::string& folder) {
  std::pair<int, int> n{0, 0};
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(ports_test::rawPath(folder + "\\*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return n;
  do {
    if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || d.cFileName[0] == L'.') continue;
    ++n.second;
    n.first += CompareFileTime(&d.ftLastAccessTime, &d.ftLastWriteTime) > 0;
  } while (FindNextFileW(h, &d));
  FindClose(h);
  return n;
}

// Closing while the account is measured at start-up: the walk stops at its next folder, the
// process ends (it used to walk on, hidden, holding the single-instance lock, so a start in that
// time ended without a word) and a start right after shows its window. VELMORA_CLOSE_FILES
// (bench/close.sh) sets the size; the time from WM_CLOSE to the end of the process is printed,
// never asserted.
TEST(E2EShutdown, ClosingDuringAWalkEndsTheProcessAndTheNextStartShowsAWindow) {
  ports_test::TempFolder docs;
  const std::string account = docs.path() + "\\WeChat Files\\wxid_big";
  const std::string cache = account + "\\FileStorage\\Cache";
  ASSERT_TRUE(e2e::makeTree(account, {"Msg\\MicroMsg.db", "FileStorage\\Cache\\"}));
  if (ports_test::unixPath(cache).empty()) GTEST_SKIP() << "the tree is made on the Linux side";
  const char* files = std::getenv("VELMORA_CLOSE_FILES");
  ASSERT_TRUE(makeBigFolder(cache, files ? std::atoi(files) : 200000));
  ASSERT_EQ(listedFolders(cache).first, 0);
  e2e::DocumentsFolder redirect(docs.path());
  {
    App app;
    HWND main = app.mainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitFor([&] { return listedFolders(cache).first > 0; }, 120s, 5ms));
    const auto closing = std::chrono::steady_clock::now();
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(app.waitForExit(120s)) << "the process lives on after its window closed";
    std::cout << "[ figure   ] WM_CLOSE to process end: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - closing)
                     .count()
              << " ms\n";
  }
  const auto [listed, all] = listedFolders(cache);
  EXPECT_LT(listed, all) << "the walk went on to its last folder after the close";
  App again;
  EXPECT_NE(again.mainWindow(), nullptr);
}

}  // namespace
