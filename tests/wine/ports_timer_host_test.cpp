// Win32Shell's message box and Win32UiThread: the box is modal to the active window, and timer
// ticks and work posted from other threads keep arriving on the UI thread inside its loop (the
// window's timers replacing themselves are walked by every end-to-end test).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/win32/handle.h"
#include "platform/win32/shell.h"
#include "platform/win32/ui_thread.h"

using namespace std::chrono_literals;
using platform::win32::Win32UiThread;

TEST(Win32MessageBox, ModalToTheActiveWindowWhileTimersAndPostedWorkRun) {
  platform::win32::unique_any<HWND, &::DestroyWindow> owner(
      CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                      nullptr, nullptr, nullptr, nullptr));
  // Another window is the active one: the box is owned by the window that asks all the same.
  platform::win32::unique_any<HWND, &::DestroyWindow> active(
      CreateWindowExW(0, L"STATIC", L"active", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 320, 10, 300, 200,
                      nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(owner && active);
  SetForegroundWindow(active.get());
  SetActiveWindow(active.get());
  Win32UiThread host;
  std::atomic<int> ticks{0};
  std::atomic<DWORD> postedOn{0};
  host.start(1, 20, [&] { ++ticks; });

  // What a second thread sees while the box is open.
  HWND boxOwner = nullptr;
  bool ownerEnabled = true;
  int ticksWhileOpen = -1;
  std::thread helper([&] {
    HWND box = nullptr;
    for (int i = 0; i < 1000 && !(box = FindWindowW(L"#32770", L"微信清理")); ++i)
      std::this_thread::sleep_for(20ms);
    if (box == nullptr) return;
    boxOwner = GetWindow(box, GW_OWNER);
    ownerEnabled = IsWindowEnabled(owner.get()) != FALSE;
    const int before = ticks;
    host.post([&] { postedOn = GetCurrentThreadId(); });
    for (int i = 0; i < 1000 && (ticks - before < 3 || postedOn == 0); ++i)
      std::this_thread::sleep_for(10ms);
    ticksWhileOpen = ticks - before;
    SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
  });
  const platform::Answer answer = platform::win32::Win32Shell().messageBox(
      "确定要删除吗？", "微信清理", platform::Buttons::OkCancel, platform::Icon::Question,
      reinterpret_cast<platform::WindowHandle>(owner.get()));
  helper.join();
  host.stop(1);

  EXPECT_EQ(answer, platform::Answer::Cancel);
  EXPECT_EQ(boxOwner, owner.get());
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
  EXPECT_GE(ticksWhileOpen, 3);
  EXPECT_EQ(postedOn, GetCurrentThreadId());
}
