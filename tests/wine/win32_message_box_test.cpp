// Win32Shell's message box with Win32TimerHost: the box is owned by the window that asks (not the
// active one) and disables it, timer ticks and work posted from other threads keep arriving on
// the UI thread inside its loop, and the button pressed is the answer.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "platform/win32/shell.h"
#include "platform/win32/timer_host.h"
#include "support.h"

using namespace std::chrono_literals;

TEST(Win32MessageBox, OwnedByTheAskingWindowWhileTimersAndPostedWorkRun) {
  auto window = [](int x) {
    return platform::win32::unique_hwnd(CreateWindowExW(
        0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 0, 99, 99, 0, 0, 0, 0));
  };
  const auto owner = window(0), active = window(200);
  SetForegroundWindow(active.get());
  SetActiveWindow(active.get());
  platform::win32::Win32TimerHost host;
  std::atomic<int> ticks{0};
  std::atomic<DWORD> postedOn{0};
  host.start(1, 20, [&] { ++ticks; });
  HWND box = nullptr, boxOwner = nullptr;  // what another thread sees while the box is open
  bool ownerEnabled = true;
  int ticksWhileOpen = 0;
  std::thread helper([&] {
    if (!wine_test::waitFor([&] { return (box = FindWindowW(L"#32770", L"微信清理")) != nullptr; }))
      return;
    boxOwner = GetWindow(box, GW_OWNER);
    ownerEnabled = IsWindowEnabled(owner.get());
    const int before = ticks;
    host.post([&] { postedOn = GetCurrentThreadId(); });
    wine_test::waitFor([&] { return ticks - before >= 3 && postedOn; }, 10s, 10ms);
    ticksWhileOpen = ticks - before;
    SendMessageW(GetDlgItem(box, IDCONTINUE), BM_CLICK, 0, 0);
  });
  const auto answer = platform::win32::Win32Shell().messageBox(
      "微信正在运行", "微信清理", platform::Buttons::CancelTryContinue, platform::Icon::Warning,
      reinterpret_cast<platform::WindowHandle>(owner.get()));
  helper.join();
  host.stop(1);
  EXPECT_EQ(answer, platform::Answer::Continue);
  EXPECT_TRUE(owner && active && boxOwner == owner.get() && !ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
  EXPECT_GE(ticksWhileOpen, 3);
  EXPECT_EQ(postedOn, GetCurrentThreadId());
}
