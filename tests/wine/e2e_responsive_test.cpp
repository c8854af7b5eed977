// The main window keeps answering while it works. Windows calls a window that leaves its messages
// unanswered for 5 s "not responding", and users kill such a window mid-work; before measuring
// moved off the UI thread an account this size stalled it for every walk, and the old-version
// cleaner for up to 20 s. The account (200,000 files) is written natively by the CTest fixture
// tests/wine/make_big_account.sh, since writing it through Wine takes minutes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "e2e_support.h"

namespace {

using namespace std::chrono_literals;
using e2e::App;

// The longest time the window took to answer WM_NULL, asked again and again until `done`.
std::chrono::milliseconds longestWait(HWND window, const std::function<bool()>& done) {
  std::chrono::milliseconds longest{0};
  const auto deadline = std::chrono::steady_clock::now() + 10min;
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    const auto before = std::chrono::steady_clock::now();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
    longest = std::max(longest, std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - before));
    std::this_thread::sleep_for(10ms);
  }
  return longest;
}

TEST(E2EResponsive, AnswersThroughTheScanOfABigAccountAndTheOldVersionCleaner) {
  const char* tree = std::getenv("VELMORA_BIG_ACCOUNT");
  if (!tree) GTEST_SKIP() << "VELMORA_BIG_ACCOUNT names no folder (the CTest fixture sets it)";
  std::string documents = std::string("Z:") + tree;  // Wine's drive Z: is the Unix root
  std::replace(documents.begin(), documents.end(), '/', '\\');
  e2e::DocumentsFolder redirect(documents);
  App app;
  HWND main = app.mainWindow();
  ASSERT_NE(main, nullptr);
  HWND status = app.control("Labeltip");
  const auto scan = longestWait(main, [&] { return e2e::textOf(status) == "计算结束"; });
  ASSERT_EQ(e2e::textOf(status), "计算结束");
  EXPECT_LT(scan, 200ms) << "longest wait during the scan";

  HWND clean = app.control("Command2");
  ASSERT_TRUE(e2e::waitFor([&] { return IsWindowVisible(clean) != 0; }));
  e2e::click(clean);
  HWND cleaner = app.waitForWindow("Form2");
  ASSERT_NE(cleaner, nullptr);
  const auto legacy = longestWait(main, [&] { return !IsWindowVisible(cleaner); });
  ASSERT_FALSE(IsWindowVisible(cleaner));
  EXPECT_LT(legacy, 200ms) << "longest wait during the old-version cleaner";
}

}  // namespace
